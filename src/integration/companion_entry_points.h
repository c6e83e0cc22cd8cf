#pragma once

#include "integration/http_task.h"
#include "integration/plib_wrapper.h"

// File names and exported entry points of the companion modules. Every entry
// point uses the standard Windows calling convention and is exported under
// its plain name.

constexpr const wchar_t* kCommonModuleName = L"common.dll";
constexpr const wchar_t* kHttpModuleName = L"zudad.dll";
constexpr const wchar_t* kAssociationModuleName = L"ZidizOdera.dll";
constexpr const wchar_t* kTrayProgramName = L"LumoraTray.exe";
constexpr const wchar_t* kCrashUploaderName = L"DedaDuze.exe";

// common.dll
using StartStatFn = void(__stdcall*)();
using SendStatUrlFn = int(__stdcall*)(const wchar_t* category, const wchar_t* name);
using WaitStatCompleteFn = void(__stdcall*)(int timeout_ms);
using GetOsVersionFn = const wchar_t*(__stdcall*)();
using CreatePLibWrapperFn = IPLibWrapper*(__stdcall*)();

// zudad.dll; the zlib entry points have zlib's arguments and results.
using HttpInitFn = IHttpTaskFactory*(__stdcall*)();
using HttpUninitFn = void(__stdcall*)();
using ZlibCompressFn = int(__stdcall*)(unsigned char* dest, unsigned long* dest_len,
                                       const unsigned char* source, unsigned long source_len);
using ZlibUncompressFn = int(__stdcall*)(unsigned char* dest, unsigned long* dest_len,
                                         const unsigned char* source, unsigned long source_len);
using ZlibCompressBoundFn = unsigned long(__stdcall*)(unsigned long source_len);

// ZidizOdera.dll
using IsAssociationOKFn = int(__stdcall*)();
using SetDefaultImageViewerFn = int(__stdcall*)(int reserved);
using UnInstallFn = int(__stdcall*)(int root_key);
using SetAssociationFn = int(__stdcall*)(const wchar_t* entries);
