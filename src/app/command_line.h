#pragma once

#include <map>
#include <string>
#include <vector>

#include "basic_lib/singleton.h"

// Splits a command-line text into switches (key without its "-", "/" or "--"
// prefix) and positional arguments (verbatim, quotes kept), and finds the
// picture to open.
class CCommandLine : public CSingletonT<CCommandLine> {
 public:
  // Adds the text's tokens to what is already held; never fails.
  bool Parse(const std::wstring& text);

  bool HasSwitch(const std::wstring& name) const;
  bool GetSwitchValue(const std::wstring& name, std::wstring& value) const;
  void GetPositionalArgs(std::vector<std::wstring>& args) const { args = positional_args_; }
  const std::wstring& GetRawCommandLine() const { return raw_text_; }

  // The first positional argument, unquoted, that exists on disk and whose
  // extension is not exactly ".exe"; empty when there is none.
  std::wstring GetImagePath() const;

  // The key a switch name is stored under when it carries a prefix and that
  // key exists; empty otherwise.
  std::wstring NormalizeSwitchName(const std::wstring& name) const;

  // The start-source tag of a "from" value for the start statistic.
  static std::wstring StartSourceTag(const std::wstring& from_value);

 private:
  void AddToken(const std::wstring& text, size_t start, size_t end, size_t equals);

  std::map<std::wstring, std::wstring> switches_;
  std::vector<std::wstring> positional_args_;
  std::wstring raw_text_;
};
