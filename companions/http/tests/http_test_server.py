#!/usr/bin/env python3
"""A small HTTP server on 127.0.0.1 for the HTTP module's test.

POST /echo      answers JSON describing the request, with the multipart
                fields parsed strictly (values hex-encoded); ?status=N
                answers with status N instead of 200.
GET  /gzip      answers "compressed hello", gzip-encoded when the request
                accepts gzip.
GET  /slow      answers after two seconds.

A stand-in for the feedback service as well:
POST /MODE/live/intf/addFeedback   records the request like /echo and
                answers as MODE says: "good" accepts ({"errno": 0}),
                "refused" and "refusedquiet" refuse with and without a
                message, "badjson" answers a page that is not JSON,
                "status500" answers status 500, "slow" answers after five
                seconds.
GET  /received/MODE                the last request MODE recorded (404: none).

Writes the port it listens on to --port-file once it accepts connections and
exits by itself after --lifetime seconds.
"""
import argparse
import gzip
import json
import os
import re
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlparse


def parse_multipart(body, content_type):
    """Returns [(name, value bytes)] or raises ValueError on any deviation."""
    match = re.fullmatch(r'multipart/form-data; boundary=([-A-Za-z0-9_]{1,70})', content_type)
    if not match:
        raise ValueError('content type ' + content_type)
    delimiter = b'--' + match.group(1).encode()
    closing = b'\r\n' + delimiter + b'--\r\n'
    if not body.startswith(delimiter + b'\r\n') or not body.endswith(closing):
        raise ValueError('body does not start or end with the boundary')
    fields = []
    inner = body[len(delimiter) + 2:-len(closing)]
    for part in inner.split(b'\r\n' + delimiter + b'\r\n'):
        head, sep, value = part.partition(b'\r\n\r\n')
        if not sep:
            raise ValueError('part without a blank line')
        named = re.fullmatch(rb'Content-Disposition: form-data; name="([^"\r\n]*)"', head)
        if not named:
            raise ValueError('part header %r' % head)
        fields.append((named.group(1).decode('latin-1'), value))
    return fields


FEEDBACK_PATH = '/live/intf/addFeedback'
FEEDBACK_REPLIES = {
    'good': (200, {'errno': 0, 'msg': 'ok'}),
    'refused': (200, {'errno': 4001, 'msg': '手机号码已停用'}),
    'refusedquiet': (200, {'errno': 5, 'msg': ''}),
    'status500': (500, {'errno': 0}),
    'slow': (200, {'errno': 0}),
}
received = {}
received_lock = threading.Lock()


class Handler(BaseHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'

    def log_message(self, *args):
        pass

    def answer(self, status, body, content_type='text/plain', extra=()):
        self.send_response(status)
        self.send_header('Content-Type', content_type)
        self.send_header('Content-Length', str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        path = urlparse(self.path).path
        if path == '/gzip':
            text = b'compressed hello'
            if 'gzip' in self.headers.get('Accept-Encoding', ''):
                self.answer(200, gzip.compress(text), extra=[('Content-Encoding', 'gzip')])
            else:
                self.answer(200, text)
        elif path.startswith('/received/'):
            with received_lock:
                report = received.get(path[len('/received/'):])
            if report is None:
                self.answer(404, b'nothing received')
            else:
                self.answer(200, json.dumps(report).encode(), 'application/json')
        elif path == '/slow':
            time.sleep(2)
            self.answer(200, b'late')
        else:
            self.answer(404, b'not found')

    def do_POST(self):
        url = urlparse(self.path)
        body = self.rfile.read(int(self.headers.get('Content-Length', '0')))
        encoding = self.headers.get('Content-Encoding', '')
        if encoding == 'gzip':
            body = gzip.decompress(body)
        content_type = self.headers.get('Content-Type', '')
        report = {
            'method': 'POST',
            'path': url.path,
            'content_type': content_type,
            'content_encoding': encoding,
            'body_hex': body.hex(),
        }
        if content_type.startswith('multipart/'):
            try:
                report['fields'] = [[name, value.hex()] for name, value in
                                    parse_multipart(body, content_type)]
            except ValueError as error:
                report['error'] = str(error)
        if url.path.endswith(FEEDBACK_PATH):
            mode = url.path[1:-len(FEEDBACK_PATH)]
            with received_lock:
                received[mode] = report
            if mode == 'slow':
                time.sleep(5)
            if mode == 'badjson':
                self.answer(200, b'<html><body>Sign in to the network</body></html>', 'text/html')
                return
            status, reply = FEEDBACK_REPLIES.get(mode, (404, {'errno': 404, 'msg': 'no such mode'}))
            self.answer(status, json.dumps(reply, ensure_ascii=False).encode('utf-8'),
                        'application/json')
            return
        status = int(parse_qs(url.query).get('status', ['200'])[0])
        self.answer(status, json.dumps(report).encode(), 'application/json')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--port-file', required=True)
    parser.add_argument('--lifetime', type=float, default=900)
    args = parser.parse_args()
    server = ThreadingHTTPServer(('127.0.0.1', 0), Handler)
    server.daemon_threads = True
    partial = args.port_file + '.partial'
    with open(partial, 'w') as f:
        f.write(str(server.server_address[1]))
    os.replace(partial, args.port_file)
    threading.Timer(args.lifetime, server.shutdown).start()
    server.serve_forever()


if __name__ == '__main__':
    main()
