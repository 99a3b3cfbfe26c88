// The browser test's two helpers: a static file server on 127.0.0.1, and Chromium
// driven over the DevTools protocol on a pipe (--remote-debugging-pipe).
import { spawn } from 'node:child_process';
import { createReadStream, existsSync, mkdtempSync, rmSync, statSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { extname, join, normalize, sep } from 'node:path';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.css': 'text/css; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
};
// The browser's first page and every command answer within this time.
const COMMAND_TIMEOUT_MS = 60000;

// Serves the files under `root`; resolves to {url, close()}.
export function serve(root) {
  const server = createServer((request, response) => {
    const path = normalize(join(root, decodeURIComponent(new URL(request.url, 'http://x').pathname)));
    const file = existsSync(path) && statSync(path).isDirectory() ? join(path, 'index.html') : path;
    if (!path.startsWith(root.endsWith(sep) ? root : root + sep) || !existsSync(file)) {
      response.writeHead(404).end('not found');
      return;
    }
    response.writeHead(200, { 'content-type': TYPES[extname(file)] ?? 'application/octet-stream' });
    createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => {
    server.listen(0, '127.0.0.1', () => resolve({
      url: `http://127.0.0.1:${server.address().port}`,
      close: () => new Promise((done) => server.close(done)),
    }));
  });
}

export const CHROMIUM = process.env.VANTIR_CHROMIUM ?? '/usr/bin/chromium';

// A headless Chromium and one page in it. Messages on the pipe are JSON, each
// ended by a NUL byte; commands for the page carry its session id.
export class Browser {
  static async launch(width, height) {
    const profile = mkdtempSync(join(tmpdir(), 'vantir-chromium-'));
    const args = ['--headless', '--remote-debugging-pipe', `--user-data-dir=${profile}`,
                  '--no-first-run', '--no-default-browser-check', '--disable-gpu',
                  '--disable-extensions', '--hide-scrollbars', `--window-size=${width},${height}`];
    // As root (CI) Chromium refuses to start its sandbox.
    if (process.getuid?.() === 0) args.push('--no-sandbox');
    const child = spawn(CHROMIUM, [...args, 'about:blank'],
                        { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
    const browser = new Browser(child, profile);
    const { targetId } = await browser.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await browser.send('Target.attachToTarget', { targetId, flatten: true });
    browser.session = sessionId;
    await browser.page('Page.enable');
    await browser.page('Runtime.enable');
    return browser;
  }

  constructor(child, profile) {
    this.child = child;
    this.profile = profile;
    this.next = 1;
    this.waiting = new Map();
    this.listeners = [];
    this.log = '';
    let pending = Buffer.alloc(0);
    child.stdio[4].on('data', (chunk) => {
      pending = Buffer.concat([pending, chunk]);
      for (let end = pending.indexOf(0); end >= 0; end = pending.indexOf(0)) {
        this.receive(JSON.parse(pending.subarray(0, end).toString('utf8')));
        pending = pending.subarray(end + 1);
      }
    });
    child.stderr.on('data', (chunk) => { this.log = (this.log + chunk).slice(-20000); });
    child.on('exit', (code) => {
      for (const { reject } of this.waiting.values()) {
        reject(new Error(`chromium exited (${code}); its last words:\n${this.log}`));
      }
      this.waiting.clear();
    });
  }

  receive(message) {
    if (message.id !== undefined && this.waiting.has(message.id)) {
      const { resolve, reject, method, timer } = this.waiting.get(message.id);
      clearTimeout(timer);
      this.waiting.delete(message.id);
      if (message.error) reject(new Error(`${method}: ${message.error.message}`));
      else resolve(message.result);
    } else if (message.method) {
      for (const listener of this.listeners) listener(message);
    }
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.next++;
    const message = JSON.stringify({ id, method, params, ...(sessionId ? { sessionId } : {}) });
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.waiting.delete(id);
        reject(new Error(`${method}: no answer in ${COMMAND_TIMEOUT_MS} ms`));
      }, COMMAND_TIMEOUT_MS);
      this.waiting.set(id, { resolve, reject, method, timer });
      this.child.stdio[3].write(message + '\0');
    });
  }

  page(method, params) {
    return this.send(method, params, this.session);
  }

  // The value of an expression in the page (awaited when it is a promise).
  async evaluate(expression) {
    const { result, exceptionDetails } = await this.page('Runtime.evaluate', {
      expression, awaitPromise: true, returnByValue: true,
    });
    if (exceptionDetails) {
      throw new Error(`in the page: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
    }
    return result.value;
  }

  // Polls an expression until it is truthy.
  async waitFor(expression, timeoutMs = COMMAND_TIMEOUT_MS) {
    const until = Date.now() + timeoutMs;
    for (;;) {
      const value = await this.evaluate(expression);
      if (value) return value;
      if (Date.now() > until) throw new Error(`the page never met: ${expression}`);
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  }

  async navigate(url) {
    const loaded = new Promise((resolve) => {
      this.listeners.push(function onLoad(message) {
        if (message.method === 'Page.loadEventFired') resolve();
      });
    });
    await this.page('Page.navigate', { url });
    await loaded;
    this.listeners = [];
  }

  async close() {
    const exited = new Promise((resolve) => this.child.once('exit', resolve));
    try {
      await this.send('Browser.close');
    } catch {
      this.child.kill();
    }
    await exited;
    rmSync(this.profile, { recursive: true, force: true });
  }
}
