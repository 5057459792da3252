// A small static server for the browser build, on 127.0.0.1 only. It sends
// the two headers that make the page cross-origin isolated, without which
// the browser gives the program no shared memory and so no threads.
'use strict';

const http = require('http');
const fs = require('fs');
const path = require('path');

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.txt': 'text/plain; charset=utf-8',
};

// The file a request's path names inside `base`; null for a request that
// names no file at all (a malformed URL or percent-encoding, a NUL byte),
// '' for a path outside the folder.
function RequestedFile(base, requestUrl) {
  let urlPath;
  try {
    urlPath = decodeURIComponent(new URL(requestUrl, 'http://localhost').pathname);
  } catch {
    return null;
  }
  if (urlPath.includes('\0')) return null;
  const file = path.join(base, urlPath === '/' ? 'index.html' : urlPath);
  return file.startsWith(base + path.sep) ? file : '';
}

// Serves `root` on `port` (0: any free port); resolves to the server.
function Serve(root, port) {
  const base = path.resolve(root);
  const server = http.createServer((request, response) => {
    const file = RequestedFile(base, request.url);
    const headers = {
      'Cross-Origin-Opener-Policy': 'same-origin',
      'Cross-Origin-Embedder-Policy': 'require-corp',
      'Cache-Control': 'no-store',
    };
    if (file === null) {
      response.writeHead(400, { ...headers, 'Content-Type': 'text/plain' });
      response.end('bad request\n');
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404, { ...headers, 'Content-Type': 'text/plain' });
        response.end('not found\n');
        return;
      }
      headers['Content-Type'] = types[path.extname(file)] || 'application/octet-stream';
      response.writeHead(200, headers);
      response.end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve(server));
  });
}

module.exports = { Serve };

if (require.main === module) {
  const root = process.argv[2] || 'build-web';
  const port = Number(process.argv[3] || 8080);
  Serve(root, port).then((server) => {
    console.log(`magpend: serving ${root} on http://127.0.0.1:${server.address().port}/`);
  });
}
