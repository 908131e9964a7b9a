'use strict';
// Headless Chromium for the page's tests and benchmark, driven through its
// DevTools protocol over a pipe (--remote-debugging-pipe: no port, no client
// library).
const {spawn} = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

// WebGL on the processor (SwiftShader), as a machine without a GPU has it.
// How long a wait lasts before it fails, naming what it waited for: long
// enough for a loaded machine.
const kWaitMs = 60000;

// `promise`, or an error naming `what` once `ms` have gone by without it.
function within(promise, what, ms = kWaitMs) {
  let timer;
  const late = new Promise((resolve, reject) => {
    timer = setTimeout(() => reject(new Error(`waited ${ms / 1000} s for ${what}`)), ms);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

const kChromiumFlags = ['--headless', '--no-sandbox', '--use-gl=angle', '--use-angle=swiftshader',
                        '--enable-unsafe-swiftshader', '--no-first-run', '--no-default-browser-check',
                        '--hide-scrollbars', '--mute-audio', '--remote-debugging-pipe'];

class Browser {
  // A browser with a page (tab) of width x height; `flags` are added to
  // Chromium's.
  static async launch({width = 800, height = 600, flags = []} = {}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'spiralis-chromium-'));
    const child = spawn(process.env.CHROMIUM || 'chromium',
                        [...kChromiumFlags, `--window-size=${width},${height}`, `--user-data-dir=${profile}`,
                         ...flags, 'about:blank'],
                        {stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe']});
    const browser = new Browser(child, profile);
    const {targetInfos} = await within(browser.send('Target.getTargets'), 'Chromium to start');
    const tab = targetInfos.find(t => t.type === 'page');
    browser.tab = tab.targetId;
    browser.session = (await browser.send('Target.attachToTarget', {targetId: tab.targetId, flatten: true})).sessionId;
    await browser.send('Runtime.enable');
    await browser.send('Log.enable');
    await browser.send('Page.enable');
    return browser;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.next = 1;
    this.waiting = new Map();
    this.session = undefined;
    this.loaded = null;  // called when a page has loaded
    // What the page said: {level: 'error' | 'warning' | ..., text}.
    this.messages = [];
    let buffered = '';
    child.stdio[4].on('data', chunk => {
      buffered += chunk.toString();
      let end;
      while ((end = buffered.indexOf('\0')) >= 0) {
        this.receive(JSON.parse(buffered.slice(0, end)));
        buffered = buffered.slice(end + 1);
      }
    });
    this.exited = new Promise(resolve => child.on('exit', resolve));
    // Nothing more will answer.
    this.exited.then(() => {
      for (const {reject} of this.waiting.values()) reject(new Error('Chromium ended'));
      this.waiting.clear();
    });
  }

  receive(message) {
    if (message.id && this.waiting.has(message.id)) {
      const {resolve, reject} = this.waiting.get(message.id);
      this.waiting.delete(message.id);
      if (message.error) reject(new Error(message.error.message));
      else resolve(message.result);
      return;
    }
    const p = message.params;
    if (message.method === 'Page.loadEventFired' && this.loaded) this.loaded();
    if (message.method === 'Runtime.consoleAPICalled')
      this.messages.push({level: p.type === 'warning' ? 'warning' : p.type,
                          text: p.args.map(a => a.value !== undefined ? String(a.value) : a.description).join(' ')});
    else if (message.method === 'Runtime.exceptionThrown')
      this.messages.push({level: 'error', text: p.exceptionDetails.exception?.description || p.exceptionDetails.text});
    else if (message.method === 'Log.entryAdded')
      this.messages.push({level: p.entry.level, text: p.entry.text});
  }

  // Chromium's answer to `method`; an error naming it when none comes (a
  // wait around it, which names what it waits for, gives up first).
  send(method, params = {}) {
    const id = this.next++;
    const message = {id, method, params};
    if (this.session && !/^(Target|Browser)\./.test(method)) message.sessionId = this.session;
    this.child.stdio[3].write(JSON.stringify(message) + '\0');
    const answer = new Promise((resolve, reject) => this.waiting.set(id, {resolve, reject}));
    return within(answer, `Chromium's answer to ${method}`, 2 * kWaitMs);
  }

  // The value of a script run in the page (a promise's once it settles).
  async evaluate(expression) {
    const result = await this.send('Runtime.evaluate', {expression, awaitPromise: true, returnByValue: true});
    if (result.exceptionDetails)
      throw new Error(result.exceptionDetails.exception?.description || result.exceptionDetails.text);
    return result.result.value;
  }

  // Waits until the expression `condition` (or the promise it gives) holds
  // in the page, checking it as the page runs; an error in it ends the wait
  // with that error, and so does a minute without it (naming it and what the
  // page said meanwhile).
  async waitFor(condition) {
    const said = this.messages.length;
    try {
      return await this.waitWithin(condition);
    } catch (error) {
      const since = this.messages.slice(said).map(m => `\n  ${m.level}: ${m.text}`).join('');
      throw since ? new Error(error.message + '; the page said:' + since) : error;
    }
  }

  waitWithin(condition) {
    return within(this.evaluate(`new Promise((resolve, reject) => {
      const check = async () => {
        try {
          if (await (${condition})) resolve(true);
          else setTimeout(check, 10);
        } catch (error) {
          reject(error);
        }
      };
      check();
    })`), condition);
  }

  // Opens `url` and waits until the page has started its galaxy or shown
  // its message instead; whether it started.
  async open(url) {
    this.messages = [];
    const loaded = new Promise(resolve => (this.loaded = resolve));
    await this.send('Page.navigate', {url});
    await within(loaded, `${url} to load`);  // the new document's, whose module may still be starting
    await this.waitFor(`window.spiralis || !document.getElementById('message').hidden`);
    return this.evaluate('!!window.spiralis');
  }

  // A key pressed and released on the focused element.
  async press(key, code, keyCode) {
    const text = key.length === 1 ? key : undefined;
    await this.send('Input.dispatchKeyEvent', {type: 'keyDown', key, code, windowsVirtualKeyCode: keyCode, text});
    await this.send('Input.dispatchKeyEvent', {type: 'keyUp', key, code, windowsVirtualKeyCode: keyCode});
  }

  // A click of the left button at (x, y).
  async click(x, y) {
    for (const type of ['mousePressed', 'mouseReleased'])
      await this.send('Input.dispatchMouseEvent', {type, x, y, button: 'left', clickCount: 1});
  }

  // The page hidden behind another tab, and shown again.
  async hide() {
    this.other = (await this.send('Target.createTarget', {url: 'about:blank'})).targetId;
    await this.send('Target.activateTarget', {targetId: this.other});
  }

  async show() {
    await this.send('Target.activateTarget', {targetId: this.tab});
    await this.send('Target.closeTarget', {targetId: this.other});
  }

  async close() {
    this.send('Browser.close').catch(() => {});
    await this.exited;
    fs.rmSync(this.profile, {recursive: true, force: true});
  }
}

module.exports = {Browser, within};
