'use strict';
// Serves the page's folder on 127.0.0.1 only, as a browser needs it (a
// .wasm is fetched, which a file: address does not allow):
//   node web/serve.js build-web/site [PORT]      (PORT 8000; 0 for any free one)
const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');

const kTypes = {'.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm'};

// Serves `folder` on 127.0.0.1 at `port` (0: a free one); resolves to the
// server.
function serve(folder, port = 0) {
  folder = path.resolve(folder || '');
  if (!fs.existsSync(path.join(folder, 'index.html'))) throw new Error(`no page in ${folder}`);
  const server = http.createServer((request, response) => {
    const name = path.join(folder, path.normalize(new URL(request.url, 'http://x').pathname));
    const file = name.endsWith(path.sep) ? path.join(name, 'index.html') : name;
    fs.readFile(file, (error, data) => {
      if (error || !file.startsWith(folder)) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, {'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream'}).end(data);
    });
  });
  return new Promise(resolve => server.listen(port, '127.0.0.1', () => resolve(server)));
}

if (require.main === module) {
  serve(process.argv[2], process.argv[3] === undefined ? 8000 : Number(process.argv[3])).then(server => {
    console.log(`Spiralis: http://127.0.0.1:${server.address().port}/ (Ctrl+C ends)`);
  });
}

module.exports = {serve};
