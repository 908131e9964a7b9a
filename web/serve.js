'use strict';
// Serves the page's folder as a browser needs it (a .wasm is fetched, which
// a file: address does not allow), on 127.0.0.1 unless told another address:
//   node web/serve.js build-web/site [PORT [HOST]]   (PORT 8000, 0 for any free one)
// Only the folder's own files: a path that leaves it (.. encoded or not, a
// link that points out), names an absolute path or holds a NUL gets 404, one
// that does not decode 400. A folder is never listed: its index.html or 404;
// named without its closing slash, it is sent to the address with one (its
// page's relative references need it). Every answer carries the page's
// Content-Security-Policy, the one its index.html's meta element gives.
const fs = require('node:fs/promises');
const http = require('node:http');
const path = require('node:path');

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.webmanifest': 'application/manifest+json', '.png': 'image/png', '.json': 'application/json',
};

// The page's own files and its WebAssembly, nothing else; the same as
// index.html's meta element (the page's tests see to it).
const kPolicy = "default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; " +
                "connect-src 'self'; manifest-src 'self'; worker-src 'self'; base-uri 'none'; form-action 'none'";

// What a request's target names inside the folder whose real path is
// `root`: {file}, or {status} with a {location} to go to instead.
async function lookUp(root, target) {
  const prefix = root.endsWith(path.sep) ? root : root + path.sep;
  if (!target.startsWith('/')) return {status: 400};
  const [pathname, query] = target.split(/\?(.*)/s);
  let names;
  try {
    names = pathname.slice(1).split('/').map(decodeURIComponent);
  } catch (e) {
    return {status: 400};  // malformed %-escapes
  }
  const last = names.length - 1;  // '' after a closing slash
  if (names.some((name, i) => (name === '' && i < last) || name === '.' || name === '..' || /[/\\\0]/.test(name)))
    return {status: 404};
  const inside = async name => {
    try {
      const real = await fs.realpath(name);
      return (real.startsWith(prefix) && (await fs.stat(real)).isFile()) ? real : null;
    } catch (e) {
      return null;
    }
  };
  const name = path.join(root, ...names);
  const file = await inside(names[last] === '' ? path.join(name, 'index.html') : name);
  if (file) return {file};
  if (names[last] !== '' && await inside(path.join(name, 'index.html')))
    return {status: 301, location: pathname + '/' + (query !== undefined ? '?' + query : '')};
  return {status: 404};
}

// Serves `folder` at `port` (0: a free one) on `host`; resolves to the
// server.
async function serve(folder, port = 0, host = '127.0.0.1') {
  const root = await fs.realpath(path.resolve(folder || ''));
  const server = http.createServer(async (request, response) => {
    response.setHeader('Content-Security-Policy', kPolicy);
    response.setHeader('X-Content-Type-Options', 'nosniff');
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405, {Allow: 'GET, HEAD'}).end();
      return;
    }
    const found = await lookUp(root, request.url);
    const data = found.file && await fs.readFile(found.file).catch(() => null);
    if (!data) {
      response.writeHead(found.status || 404, found.location ? {Location: found.location} : {}).end();
      return;
    }
    response.writeHead(200, {'Content-Type': kTypes[path.extname(found.file)] || 'application/octet-stream',
                             'Cache-Control': 'no-cache'}).end(data);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => resolve(server));
  });
}

if (require.main === module) {
  const [folder, port = '8000', host = '127.0.0.1'] = process.argv.slice(2);
  serve(folder, Number(port), host).then(server => {
    const {address, port} = server.address();
    console.log(`Spiralis: http://${address.includes(':') ? `[${address}]` : address}:${port}/ (Ctrl+C ends)`);
  }, error => {
    console.error(`Spiralis: ${error.message}`);
    process.exitCode = 1;
  });
}

module.exports = {serve, kPolicy};
