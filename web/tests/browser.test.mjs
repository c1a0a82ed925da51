// The page in Debian's Chromium, headless, driven through playwright-core, on
// the built site served by serve.mjs: every move made with the mouse, every
// control pressed as a user would, each test one page session of several checks.
//   TORLO_WEB_DIR   the built site (default ../build-web)
//   TORLO_WEB_SHOTS where the screenshots go (default test-output)
//   CHROMIUM        the browser (default /usr/bin/chromium)
import { after, afterEach, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { Chess } from 'chess.js';
import { launchChromium, serve } from '../chromium.mjs';
import { site } from './wasm-engine.mjs';

const shots = resolve(process.env.TORLO_WEB_SHOTS || fileURLToPath(new URL('../test-output', import.meta.url)));
// Time the engine may take beyond its time per move to answer: message
// passing, the search's last iteration and a loaded machine.
const MARGIN_MS = 1500;

const serveSite = (...options) => serve(site, ...options).then(({ url, server }) => servers.push(server) && url);
let browser, isolatedUrl;
const [servers, problems, contexts] = [[], [], []];  // problems: console errors, page errors, failed requests

before(async () => ([isolatedUrl, browser] = await Promise.all([serveSite(), launchChromium()])));
afterEach(() => Promise.all(contexts.splice(0).map((c) => c.close())));
after(() => { for (const child of servers) child.kill(); return browser?.close(); });

// A fresh page (its own context) at url once the user is to move and its engine
// has loaded (nothing on its way when the test closes it); prepare(context) runs first.
async function openPage(url, { viewport = { width: 1200, height: 860 }, prepare, time } = {}) {
  const context = await browser.newContext({ viewport });
  contexts.push(context);
  await prepare?.(context);
  await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: new URL(url).origin });
  const page = await context.newPage();
  const report = (where) => (m) => m.type() === 'error' && problems.push(`${where}: ${m.text()}`);
  page.on('console', report('console'));
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} (${r.failure()?.errorText})`));
  page.on('worker', (w) => w.on?.('console', report('worker')));
  await page.goto(url);
  await waitForStatus(page, 'Your move');
  await buildOf(page);
  if (time) await setTime(page, time);
  return page;
}

const waitForStatus = (page, start) => page.waitForFunction((s) => document.getElementById('status').textContent.startsWith(s), start);
const buildOf = (page) => page.waitForFunction(() => document.getElementById('engine-build').dataset.build).then((b) => b.jsonValue());
const isolated = (page) => page.evaluate(() => crossOriginIsolated);
const fenOf = (page) => page.inputValue('#fen');
const statusOf = (page) => page.textContent('#status');
const clipboard = (page) => page.evaluate(() => navigator.clipboard.readText());
const shot = (page, name) => page.screenshot({ path: join(shots, `${name}.png`) });
const setTime = (page, ms) => page.selectOption('#movetime', String(ms));
const setUp = (page, fen) => page.fill('#fen', fen).then(() => page.click('text=Set up position'));
// Waits until the user is to move again (or the game is over).
const waitForReply = (page, timeout) => page.waitForFunction(
  () => !document.getElementById('status').textContent.startsWith('TORLO is thinking'), null, { timeout });

// The user moves from -> to on the board: two clicks, or a drag.
async function userMove(page, from, to, drag = false) {
  const [a, b] = await page.evaluate((squares) => squares.map((sq) => {
    const box = document.querySelector('cg-board').getBoundingClientRect();
    const white = document.querySelector('.cg-wrap').classList.contains('orientation-white');
    const [file, rank] = [sq.charCodeAt(0) - 97, Number(sq[1]) - 1];
    const [col, row] = white ? [file, 7 - rank] : [7 - file, rank];
    return { x: box.left + (col + 0.5) * box.width / 8, y: box.top + (row + 0.5) * box.width / 8 };
  }), [from, to]);
  if (!drag) return page.mouse.click(a.x, a.y).then(() => page.mouse.click(b.x, b.y));
  await page.mouse.move(a.x, a.y);
  await page.mouse.down();
  await page.mouse.move(b.x, b.y, { steps: 10 });
  await page.mouse.up();
}

// The user plays from -> to (by drag or by clicks); the engine must answer
// with a legal move within its time per move.
async function playAndExpectReply(page, from, to, { drag = false, moveTime }) {
  const before = await fenOf(page);
  const expected = new Chess(before);
  const san = expected.move({ from, to }).san;
  await userMove(page, from, to, drag);
  await page.waitForFunction((fen) => document.getElementById('fen').value !== fen, before);
  const start = Date.now();
  await waitForReply(page, moveTime + 10000);
  const elapsed = Date.now() - start;
  assert.ok(elapsed <= moveTime + MARGIN_MS, `the engine answered in ${elapsed} ms (time per move ${moveTime} ms)`);
  const placement = (fen) => fen.split(' ').slice(0, 4).join(' ');
  const now = placement(await fenOf(page));
  const reply = expected.moves({ verbose: true }).find((m) => placement(m.after) === now);
  assert.ok(reply, `the user's ${san} was played and the engine answered it with a legal move`);
  assert.ok((await page.textContent('#moves')).includes(`${san} ${reply.san}`), `the move list shows ${san} ${reply.san}`);
}

// Presses the button (take-back or new game) during a search of 3 s out of
// the book: the position is back, no move of the stopped search appears, and
// the next search answers within its own time.
async function searchThenTakeBack(page, button) {
  await page.click('#new-white');
  await setUp(page, 'r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8');
  const expected = button === '#takeback' ? await fenOf(page) : new Chess().fen();
  await setTime(page, 3000);
  await userMove(page, 'f1', 'd3');
  await page.waitForFunction(() => document.getElementById('think-summary').textContent.startsWith('Depth'));
  await page.click(button);
  assert.equal(await fenOf(page), expected, `${button} during a search restores the position`);
  await page.waitForTimeout(3500);  // past the end of the stopped search
  assert.equal(await fenOf(page), expected, 'no move of the stopped search was played');
  assert.match(await statusOf(page), /^Your move/, `after ${button} the user is to move`);
  await playAndExpectReply(page, ...(button === '#takeback' ? ['c4', 'd5'] : ['e2', 'e4']), { moveTime: 3000 });
}

test('isolated, the threaded engine with Threads 2 and Hash 32: a game by drag and clicks, take-backs, the settings kept', async () => {
  // The lines the page sends its engine, recorded in the page.
  const record = (context) => context.addInitScript(() => {
    const [post, sent] = [Worker.prototype.postMessage, (self.sent = [])];
    Worker.prototype.postMessage = function send(m) { if (m.line) sent.push(m.line); return post.call(this, m); };
  });
  const page = await openPage(isolatedUrl, { prepare: record, time: 500 });
  assert.equal(await isolated(page), true, 'the page is cross-origin isolated');
  assert.equal(await buildOf(page), 'threads', 'the threaded build started');
  await page.getByLabel('Threads').selectOption('2');
  await page.getByLabel('Hash').selectOption('32');
  await playAndExpectReply(page, 'e2', 'e4', { drag: true, moveTime: 500 });
  for (let i = 0; i < 8; ++i) {  // eight more moves by clicks, each the engine's hint
    await page.click('#hint');
    await page.waitForFunction(() => document.getElementById('note').textContent.startsWith('Hint: '));
    const san = (await page.textContent('#note')).slice(6);
    const hint = new Chess(await fenOf(page)).moves({ verbose: true }).find((m) => m.san === san);
    assert.ok(hint, `the hint ${san} is a legal move`);
    assert.equal(await page.locator('svg.cg-shapes g line').count(), 1, 'the hint is drawn as one arrow');
    await playAndExpectReply(page, hint.from, hint.to, { moveTime: 500 });
  }
  await page.waitForTimeout(300);  // the last move's animation
  await shot(page, 'game-in-progress');
  // A position out of the book, where the engine has to search.
  await setUp(page, 'r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5');
  await setTime(page, 1000);
  const position = await fenOf(page);
  await playAndExpectReply(page, 'c2', 'c3', { moveTime: 1000 });
  const options = ['setoption name Threads value 2', 'setoption name Hash value 32'];
  assert.deepEqual((await page.evaluate(() => self.sent)).filter((l) => options.includes(l)), options, 'Threads and Hash were sent');
  await page.click('#takeback');
  assert.equal(await fenOf(page), position, 'take-back restores the position before the user\'s move');
  assert.match(await statusOf(page), /^Your move/, 'after a take-back the user is to move');
  await searchThenTakeBack(page, '#takeback');
  // Kept for the next visit, and sent to its engine as it starts.
  await page.reload();
  await buildOf(page);
  assert.deepEqual([await page.inputValue('#threads'), await page.inputValue('#hash')], ['2', '32'], 'the settings were kept');
  await page.waitForFunction((o) => o.every((l) => self.sent.includes(l)), options);
});

test('without isolation, the one-thread engine, restarted by a take-back or new game in a search; installable; then offline', async () => {
  const url = await serveSite('--no-isolation');  // a static host that sends no isolation headers
  const server = servers.at(-1);
  const page = await openPage(url);  // a first visit: no service worker yet
  assert.equal(await isolated(page), false, 'the page is not cross-origin isolated');
  assert.equal(await buildOf(page), 'single', 'the one-thread build started');
  assert.deepEqual(await page.$$eval('#threads option', (o) => o.map((x) => x.value)), ['1'], 'one thread is offered');
  await searchThenTakeBack(page, '#takeback');
  await searchThenTakeBack(page, '#new-white');
  await page.evaluate(() => navigator.serviceWorker.ready);
  const cdp = await page.context().newCDPSession(page);
  assert.deepEqual((await cdp.send('Page.getAppManifest')).errors, [], 'the manifest has no errors');
  const errors = (await cdp.send('Page.getInstallabilityErrors')).installabilityErrors.map((e) => e.errorId);
  // A test profile is incognito; that note is about the profile, not the page.
  assert.deepEqual(errors.filter((id) => id !== 'in-incognito'), [], 'Chromium finds the page installable');
  // After this one visit, the page loads and plays with its server stopped,
  // isolated by its service worker, both engines and the book from its cache.
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
  await new Promise((done) => server.once('exit', done).kill());
  await page.reload();
  await waitForStatus(page, 'Your move');
  assert.equal(await isolated(page), true, 'offline, the service worker makes the page cross-origin isolated');
  assert.equal(await buildOf(page), 'threads', 'offline, the threaded build started');
  await setTime(page, 500);
  await playAndExpectReply(page, 'd2', 'd4', { moveTime: 500 });
  const files = ['torlo.wasm', 'torlo-threads.wasm', 'torlo-threads.worker.js', 'TORLO.opn'];
  const cached = await page.evaluate(async (names) => {
    const cache = await caches.open((await caches.keys()).find((n) => n.startsWith('torlo-')));
    return Promise.all(names.map(async (f) => (await cache.match(f)) !== undefined));
  }, files);
  assert.deepEqual(cached, files.map(() => true), 'both engines and the book came from the cache');
  await shot(page, 'offline');
});

test('keyboard, a mate in two from a FEN and its PGN, the thinking line, a bad FEN, a promotion, a stalemate', async () => {
  const page = await openPage(isolatedUrl);
  const focused = () => page.evaluate(() => document.activeElement.id);
  for (let i = 0; i < 20 && (await focused()) !== 'new-black'; ++i) await page.keyboard.press('Tab');
  assert.equal(await focused(), 'new-black', 'Tab reaches the buttons');
  await page.keyboard.press('Enter');
  assert.ok(await page.locator('.cg-wrap.orientation-black').count(), 'Enter starts a game as Black');
  await waitForReply(page, 10000);
  assert.equal((await fenOf(page)).split(' ')[1], 'b', 'TORLO (White) moved first');
  await page.focus('#flip');
  await page.keyboard.press('Space');
  assert.ok(await page.locator('.cg-wrap.orientation-white').count(), 'Space flips the board');

  // The engine, as White, announces mate in two and mates.
  await setTime(page, 1000);
  await setUp(page, '1r4k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - - 0 1');
  await waitForReply(page, 10000);
  assert.match(await statusOf(page), /TORLO announces mate in 2/);
  assert.match(await page.textContent('#think-summary'), /#2\b/);
  await userMove(page, 'b8', 'd8');  // the only move
  await waitForStatus(page, 'Checkmate');
  assert.equal(await statusOf(page), 'Checkmate: White wins (1-0)');
  await shot(page, 'mate-in-two');
  await page.click('#copy-pgn');  // the game set up from its FEN, with its result
  const game = new Chess();
  game.loadPgn(await clipboard(page));
  const { FEN, Result, White, Black } = game.getHeaders();
  assert.deepEqual([FEN, Result, White, Black], ['1r4k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - - 0 1', '1-0', 'TORLO', 'You'], 'the PGN\'s headers');
  assert.deepEqual(game.history(), ['Rd8+', 'Rxd8', 'Rxd8#'], 'the PGN has the moves');

  // The thinking line follows the search: deeper iterations, scores, nodes and the line in SAN.
  await setTime(page, 3000);
  await setUp(page, 'r3r1k1/2p2ppp/p1p1bn2/8/1q2P3/2NPQN2/PPP3PP/R4RK1 w - - 2 15');
  const [seen, pvs] = [[], new Set()];
  while ((await statusOf(page)).startsWith('TORLO is thinking')) {
    const summary = await page.textContent('#think-summary');
    if (summary !== seen.at(-1)) seen.push(summary);
    pvs.add(await page.textContent('#think-pv'));
    await page.waitForTimeout(30);
  }
  const depths = seen.map((s) => /^Depth (\d+) · [+-]\d+\.\d\d · [\d,]+ nodes · [\d.]+ [kM]?nodes\/s$/.exec(s))
    .filter(Boolean).map((m) => Number(m[1]));
  assert.ok(depths.length >= 3, `several thinking lines were shown: ${seen.join(' | ')}`);
  assert.ok(depths.every((d, i) => i === 0 || d >= depths[i - 1]), `depths only grow: ${depths}`);
  assert.ok(depths.at(-1) >= 5, `the search reached depth ${depths.at(-1)}`);
  for (const pv of pvs) if (pv) assert.match(pv, /^15\. [KQRBN]?[a-h]?[1-8]?x?[a-h][1-8]/, pv);

  // A bad FEN is refused with a note and changes nothing.
  await page.click('#new-white');
  await setTime(page, 500);
  await playAndExpectReply(page, 'e2', 'e4', { moveTime: 500 });
  const [fen, moves] = [await fenOf(page), await page.textContent('#moves')];
  for (const bad of ['8/8/8/8 w - - 0 1', 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1', 'hello']) {
    await setUp(page, bad);
    assert.match(await page.textContent('#note'), /^Not a position: /, `${bad} is refused with a note`);
    assert.equal(await page.textContent('#moves'), moves, `${bad} leaves the moves`);
    assert.match(await statusOf(page), /^Your move/, `${bad} leaves the user to move`);
    await page.click('#copy-fen');  // the game's position, not the text in the box
    assert.equal(await clipboard(page), fen, `after ${bad}, Copy FEN copies the game's position`);
  }
  await page.fill('#fen', fen);
  await playAndExpectReply(page, 'd2', 'd4', { moveTime: 500 });

  // A promotion through the chooser: cancelled first, then a knight.
  await setUp(page, '8/P6k/8/8/8/8/6KP/8 w - - 0 1');
  await userMove(page, 'a7', 'a8');
  await page.waitForSelector('#promotion[open]');
  await shot(page, 'promotion-chooser');
  await page.keyboard.press('Escape');
  await page.waitForSelector('#promotion', { state: 'hidden' });
  assert.equal(await fenOf(page), '8/P6k/8/8/8/8/6KP/8 w - - 0 1', 'a cancelled promotion leaves the pawn');
  await userMove(page, 'a7', 'a8');
  await page.click('#promotion >> text=Knight');
  await page.waitForFunction(() => document.getElementById('moves').textContent.includes('a8=N'));
  assert.match(await fenOf(page), /^N7\//, 'the pawn became a knight');
  await waitForReply(page, 10000);
  assert.match(await page.textContent('#moves'), /a8=N \S+/, 'the engine answered the promotion');

  // A stalemate is announced as a draw.
  await setUp(page, 'k7/8/1Q6/8/8/8/8/7K w - - 0 1');
  await userMove(page, 'b6', 'c7');
  await waitForStatus(page, 'Draw');
  assert.equal(await statusOf(page), 'Draw by stalemate (½-½)');
  assert.equal(await page.isDisabled('#hint'), true, 'no hint after the game ended');
  await shot(page, 'stalemate');
});

test('at phone width everything fits; a refused engine move stops the game; a failed worker is restarted and the game goes on', async () => {
  // The first worker passes on every bestmove as e2e5, never legal for
  // Black, and throws on its next search; its replacement is the real one.
  const code = `let faked = false; const post = self.postMessage.bind(self);
self.postMessage = (m) => (m.line?.startsWith('bestmove ') ? (faked = true, post({ ...m, line: 'bestmove e2e5' })) : post(m));
const handle = self.onmessage; self.onmessage = (e) => { if (faked && e.data.line?.startsWith('go ')) throw new Error('simulated fault'); handle(e); };\n`;
  const faulty = (context) => context.route('**/engine-worker.js', async (route) => {
    const response = await route.fetch();  // its headers too: an isolated page's worker needs them
    await route.fulfill({ response, body: (await response.text()) + code });
  }, { times: 1 });
  const page = await openPage(isolatedUrl, { viewport: { width: 390, height: 844 }, time: 500, prepare: faulty });
  assert.ok(await page.evaluate(() => {
    const { clientWidth, scrollWidth } = document.documentElement;
    return scrollWidth <= clientWidth && [...document.querySelectorAll('button:not(dialog button), select, #fen, #board')]
      .every((e) => e.getBoundingClientRect().right <= clientWidth && e.getBoundingClientRect().left >= 0);
  }), 'nothing sticks out sideways');
  await userMove(page, 'd2', 'd4');
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('e2e5'));
  const position = await fenOf(page);
  await page.waitForTimeout(1500);  // no new search, no move
  assert.match(await statusOf(page), /^TORLO answered e2e5, which is not a legal move here/, 'the refused move is named');
  assert.equal(await fenOf(page), position, 'nothing was played after the refused move');
  assert.equal(await page.isDisabled('#hint'), true, 'no hint while the game is stopped');
  await page.click('#takeback');  // the game goes on from before the user's move
  assert.match(await statusOf(page), /^Your move/, 'after a take-back the user is to move');
  await playAndExpectReply(page, 'e2', 'e4', { moveTime: 500 + 3000 });  // the restart's time too
  assert.match(await page.textContent('#note'), /^The engine stopped \(.*simulated fault\) and was restarted\./);
  await playAndExpectReply(page, 'g1', 'f3', { drag: true, moveTime: 500 });
  await shot(page, 'phone');
});

test('the browser console stayed free of errors', () => {
  assert.deepEqual(problems, []);
});
