'use strict';
// web/serve.js: only its folder's files, whatever the path says; no folder
// listed; the page's policy on every answer; 127.0.0.1 unless told.
const {test, before, after} = require('node:test');
const assert = require('node:assert');
const fs = require('node:fs');
const http = require('node:http');
const os = require('node:os');
const path = require('node:path');
const {serve, kPolicy} = require('../serve.js');

let top, server;
before(async () => {
  // top/secret.txt beside the served folder top/site, and links out of it.
  top = fs.mkdtempSync(path.join(os.tmpdir(), 'spiralis-serve-'));
  const site = path.join(top, 'site');
  fs.mkdirSync(path.join(site, 'folder'), {recursive: true});
  fs.mkdirSync(path.join(site, 'sub'));
  fs.writeFileSync(path.join(top, 'secret.txt'), 'SECRET');
  fs.writeFileSync(path.join(site, 'index.html'), 'page');
  fs.writeFileSync(path.join(site, 'sub', 'index.html'), 'sub');
  fs.writeFileSync(path.join(site, 'folder', 'a.wasm'), 'wasm');
  fs.symlinkSync(path.join(top, 'secret.txt'), path.join(site, 'link'));
  fs.symlinkSync(top, path.join(site, 'up'));
  server = await serve(site);
});
after(() => {
  server.close();
  fs.rmSync(top, {recursive: true, force: true});
});

// The answer to a request for `target` as it is sent, unnormalized:
// {status, headers, body}.
function get(target, method = 'GET') {
  return new Promise((resolve, reject) => {
    const request = http.request({host: '127.0.0.1', port: server.address().port, path: target, method}, response => {
      let body = '';
      response.on('data', chunk => (body += chunk));
      response.on('end', () => resolve({status: response.statusCode, headers: response.headers, body}));
    });
    request.on('error', reject);
    request.end();
  });
}

// A path with `..`, `.` or an empty name gets 404 even where it would end inside.
test('paths out of the folder, NULs and folders get 404 or 400, and nothing outside', async () => {
  const hostile = [
    '/../secret.txt', '/../../../../../../etc/passwd', '/sub/../../secret.txt', '/%2e%2e/secret.txt',
    '/%2E%2E%2Fsecret.txt', '/..%2fsecret.txt', '/.%2e/secret.txt', '/%2e%2e%5csecret.txt', '/..\\secret.txt',
    '/sub/../index.html', '/./index.html', '//etc/passwd', '//index.html', '/%2Fetc%2Fpasswd',
    '/%2f%2e%2e%2fsecret.txt', '/%00', '/index.html%00', '/index.html%00.png', '/sub%00/', '/folder/', '/folder',
    '/folder/.', '/link', '/up/secret.txt', '/%', '/%ff%fe', '/%c0%ae%c0%ae/secret.txt', 'secret.txt',
    'http://127.0.0.1/../secret.txt', '*',
  ];
  for (const target of hostile) {
    const {status, body} = await get(target);
    assert.ok(status === 404 || status === 400, `${target}: ${status}`);
    assert.ok(!body.includes('SECRET') && !body.includes('root:') && !body.includes('a.wasm'), target);
  }
});

test('the folder\'s files, the page\'s policy and a folder\'s closing slash', async () => {
  const cases = [
    {target: '/', status: 200, body: 'page', type: 'text/html; charset=utf-8'},
    {target: '/index.html?rings=61', status: 200, type: 'text/html; charset=utf-8'},
    {target: '/folder/a.wasm', status: 200, body: 'wasm', type: 'application/wasm'},
    {target: '/sub/', status: 200, body: 'sub'},
    {target: '/%73ub/', status: 200, body: 'sub'},
    {target: '/sub', status: 301, location: '/sub/'},
    {target: '/sub?kiosk=1', status: 301, location: '/sub/?kiosk=1'},
  ];
  for (const {target, status, body, type, location} of cases) {
    const answer = await get(target);
    assert.strictEqual(answer.status, status, target);
    assert.strictEqual(answer.headers['content-security-policy'], kPolicy, target);
    if (body) assert.ok(answer.body.includes(body), target);
    if (type) assert.strictEqual(answer.headers['content-type'], type, target);
    assert.strictEqual(answer.headers.location, location, target);
  }
  assert.strictEqual((await get('/', 'POST')).status, 405);
  assert.strictEqual((await get('/', 'HEAD')).body, '');
  assert.strictEqual(server.address().address, '127.0.0.1');
});
