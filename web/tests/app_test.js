'use strict';
// The page as an app, in headless Chromium, each case on a copy of the site
// served by web/serve.js: its manifest without errors and installable, its
// icons at their sizes; a page once visited opens from the service worker's
// cache with the server gone and draws its address's look; a new build's
// worker replaces the cache whole; the site from a sub-folder; the
// Content-Security-Policy; kiosk=1 and the screen wake lock.
const {test, before, after} = require('node:test');
const assert = require('node:assert');
const {execFileSync} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const {Browser} = require('../browser.js');
const {serve} = require('../serve.js');
const {kMostDiffering, pagePicture, nativePicture, differing} = require('./pictures.js');

// In every document before its own scripts: the policy's violations, the
// changes of full screen, and the wake locks asked for and given.
const kWatch = `
  window.violations = [];
  document.addEventListener('securitypolicyviolation', e => violations.push(e.violatedDirective));
  window.fullScreenChanges = 0;
  document.addEventListener('fullscreenchange', () => ++fullScreenChanges);
  window.wakeLocks = {asked: 0, given: []};
  if (navigator.wakeLock) {
    const request = navigator.wakeLock.request.bind(navigator.wakeLock);
    navigator.wakeLock.request = type => {
      ++wakeLocks.asked;
      return request(type).then(sentinel => (wakeLocks.given.push(sentinel), sentinel));
    };
  }`;

let browser, top;
const servers = [];
before(async () => {
  top = fs.mkdtempSync(path.join(os.tmpdir(), 'spiralis-app-'));
  browser = await Browser.launch();
  await browser.send('Page.addScriptToEvaluateOnNewDocument', {source: kWatch});
});
after(async () => {
  await browser.close();
  for (const server of servers) server.close();
  fs.rmSync(top, {recursive: true, force: true});
});

// A copy of the site in the folder `under` of a root served on a port of its
// own (so an origin of its own), changed by `edit(folder)` first:
// {server, folder, url (the site's, with its closing slash)}.
async function serveCopy(under = '', edit = () => {}) {
  const root = fs.mkdtempSync(path.join(top, 'root-'));
  const folder = path.join(root, under);
  fs.cpSync(process.env.SITE, folder, {recursive: true});
  edit(folder);
  const server = await serve(root);
  servers.push(server);
  return {server, folder, url: `http://127.0.0.1:${server.address().port}/${under ? under + '/' : ''}`};
}

function errors() {
  return browser.messages.filter(m => m.level === 'error');
}

// The manifest's errors and installability as Chromium reports them, with
// where its start and scope lead.
async function manifestReport() {
  const {errors, manifest} = await browser.send('Page.getAppManifest');
  const {installabilityErrors} = await browser.send('Page.getInstallabilityErrors');
  return {errors, installabilityErrors, startUrl: manifest.startUrl, scope: manifest.scope};
}

test('the manifest has no errors, makes the site installable and has its icons at their sizes', async () => {
  const site = await serveCopy();
  assert.ok(await browser.open(site.url));
  assert.deepStrictEqual(await manifestReport(),
                         {errors: [], installabilityErrors: [], startUrl: site.url, scope: site.url});
  const {icons} = JSON.parse((await browser.send('Page.getAppManifest')).data);
  const sizes = await browser.evaluate(`Promise.all(${JSON.stringify(icons.map(icon => icon.src))}.map(
      src => fetch(src).then(r => r.blob()).then(createImageBitmap).then(b => b.width + 'x' + b.height)))`);
  assert.deepStrictEqual(sizes, ['192x192', '512x512']);
  assert.deepStrictEqual(sizes, icons.map(icon => icon.sizes));
});

test('a page once visited opens with the server gone and draws its address\'s look', async () => {
  const site = await serveCopy();
  const look = 'preset=space-vertex&background=Teal';
  assert.ok(await browser.open(site.url + '?' + look));
  await browser.waitFor('navigator.serviceWorker.controller');
  // Not from the HTTP cache, which the worker's cache does not share.
  await browser.send('Network.enable');
  await browser.send('Network.clearBrowserCache');
  site.server.close();
  site.server.closeAllConnections();
  await assert.rejects(fetch(site.url));
  assert.ok(await browser.open(site.url + '?' + look));
  assert.strictEqual(await browser.evaluate('location.search'), '?' + look);
  const page = await pagePicture(browser, 150, 0);
  const share = differing(page.pixels, nativePicture(look, page, 150, 0), page);
  assert.ok(share < kMostDiffering, `${share}`);
});

test('a new build\'s worker replaces the cache with its files', async () => {
  const site = await serveCopy();
  const pageJs = path.join(site.folder, 'page.js');
  assert.ok(await browser.open(site.url));
  await browser.waitFor('navigator.serviceWorker.controller');
  const [first] = await browser.evaluate('caches.keys()');
  const cached = `caches.match('page.js').then(r => r.text())`;
  assert.strictEqual(await browser.evaluate(cached), fs.readFileSync(pageJs, 'utf8'));
  // The next build: one byte more in page.js, the worker written as the build writes it.
  fs.appendFileSync(pageJs, '\n');
  execFileSync(process.env.CMAKE || 'cmake', [`-DSITE=${site.folder}`,
                                              `-DTEMPLATE=${path.join(__dirname, '../service-worker.js.in')}`,
                                              '-P', path.join(__dirname, '../site_worker.cmake')]);
  await browser.evaluate('navigator.serviceWorker.getRegistration().then(r => r.update())');
  await browser.waitFor(`caches.keys().then(names => names.length === 1 && names[0] !== ${JSON.stringify(first)})`);
  assert.strictEqual(await browser.evaluate(cached), fs.readFileSync(pageJs, 'utf8'));
});

test('the site works from a sub-folder, with its closing slash or without', async () => {
  const site = await serveCopy('some/folder');
  for (const address of [site.url, site.url + 'index.html?rings=70', site.url.slice(0, -1)]) {
    assert.ok(await browser.open(address), address);
    assert.deepStrictEqual(errors(), [], address);
  }
  assert.deepStrictEqual(await manifestReport(),
                         {errors: [], installabilityErrors: [], startUrl: site.url, scope: site.url});
  await browser.waitFor('navigator.serviceWorker.controller');
  assert.strictEqual(await browser.evaluate('navigator.serviceWorker.getRegistration().then(r => r.scope)'),
                     site.url);
});

test('the policy: the header is the meta element\'s, nothing refused, an injected script and style are', async () => {
  const site = await serveCopy();
  const answer = await fetch(site.url);
  const meta = /<meta http-equiv="Content-Security-Policy" content="([^"]*)">/.exec(await answer.text());
  assert.strictEqual(answer.headers.get('content-security-policy'), meta[1]);
  assert.ok(await browser.open(site.url));
  await browser.waitFor('navigator.serviceWorker.controller');
  assert.deepStrictEqual(await browser.evaluate('violations'), []);
  assert.deepStrictEqual(errors(), []);

  const injected = await serveCopy('', folder => {
    const index = path.join(folder, 'index.html');
    fs.writeFileSync(index, fs.readFileSync(index, 'utf8').replace(
        '<script src="page.js">',
        '<script>window.inlineRan = true;</script><p id="styled" style="color: rgb(255, 0, 0)">red</p>$&'));
  });
  assert.ok(await browser.open(injected.url));
  await browser.waitFor('violations.length >= 2');
  assert.deepStrictEqual([...new Set(await browser.evaluate('violations'))].sort(),
                         ['script-src-elem', 'style-src-attr']);
  assert.strictEqual(await browser.evaluate('window.inlineRan'), undefined);
  assert.notStrictEqual(await browser.evaluate(`getComputedStyle(document.getElementById('styled')).color`),
                        'rgb(255, 0, 0)');
});

test('kiosk=1: no panel, full screen at a key or click, the screen kept on only then', async () => {
  const site = await serveCopy();
  await browser.send('Browser.setPermission', {permission: {name: 'screen-wake-lock'}, setting: 'granted',
                                               origin: new URL(site.url).origin});
  // Without kiosk=1, full screen holds no wake lock.
  assert.ok(await browser.open(site.url + '?rings=70'));
  await browser.evaluate('document.activeElement.blur()');
  await browser.press('f', 'KeyF', 70);
  await browser.waitFor('fullScreenChanges === 1 && document.fullscreenElement');
  assert.strictEqual(await browser.evaluate('wakeLocks.asked'), 0);

  assert.ok(await browser.open(site.url + '?kiosk=1&rings=70'));
  assert.deepStrictEqual(await browser.evaluate(`[location.search, localStorage.getItem('spiralis.look'),
                                                  document.getElementById('controls').hidden, wakeLocks.asked]`),
                         ['?rings=70&kiosk=1', 'rings=70', true, 0]);
  await browser.press('a', 'KeyA', 65);
  await browser.waitFor('document.fullscreenElement && wakeLocks.given.length === 1 && !wakeLocks.given[0].released');
  await browser.hide();
  await browser.waitFor('document.hidden && wakeLocks.given[0].released');
  await browser.show();
  // A click that comes before the page is shown again, or while its window
  // is still leaving full screen, goes nowhere.
  await browser.waitFor(`!document.hidden && document.hasFocus() && !document.fullscreenElement &&
                         !matchMedia('(display-mode: fullscreen)').matches`);
  await browser.click(100, 100);
  // The browser may let a lock go as the window changes (it did, under
  // load): the page then asks again. It holds one lock at most.
  await browser.waitFor('document.fullscreenElement && wakeLocks.given.some(lock => !lock.released)');
  assert.strictEqual(await browser.evaluate('wakeLocks.given.filter(lock => !lock.released).length'), 1);
  await browser.evaluate('document.exitFullscreen()');
  await browser.waitFor('wakeLocks.given.every(lock => lock.released)');
  assert.deepStrictEqual(errors(), []);
});
