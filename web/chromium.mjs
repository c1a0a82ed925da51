// The built site served by serve.mjs and Debian's Chromium, headless, driven
// through playwright-core: shared by the page's tests and bench.mjs.
//   CHROMIUM  the browser (default /usr/bin/chromium)
import { spawn } from 'node:child_process';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';

// Serves SITE on a free port (with serve.mjs's OPTIONS); resolves to
// { url, server } once it listens.
export function serve(site, ...options) {
  const server = spawn(process.execPath, [fileURLToPath(new URL('serve.mjs', import.meta.url)), site, '--port', '0', ...options]);
  return new Promise((resolve, reject) => {
    server.stdout.once('data', (data) => resolve({ url: String(data).match(/http:\/\/\S+/)[0], server }));
    server.once('exit', (code) => reject(new Error(`serve.mjs exited with ${code}`)));
  });
}

export const launchChromium = () => chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
});
