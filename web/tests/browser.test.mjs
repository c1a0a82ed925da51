// The page in a real browser: Debian's Chromium, headless, driven through
// playwright-core, on the built site served by serve.mjs. Every move is
// made on the board with the mouse, every control pressed as a user would.
//   TORLO_WEB_DIR   the built site (default ../build-web)
//   TORLO_WEB_SHOTS where the screenshots go (default test-output)
//   CHROMIUM        the browser (default /usr/bin/chromium)
import { after, afterEach, before, describe, test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';
import { Chess } from 'chess.js';
import { launchChromium, serve } from '../chromium.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const site = resolve(process.env.TORLO_WEB_DIR || join(here, '../../build-web'));
const shots = resolve(process.env.TORLO_WEB_SHOTS || join(here, '../test-output'));
mkdirSync(shots, { recursive: true });

// Time the engine may take beyond its time per move to answer: message
// passing, the search's last iteration and a loaded machine.
const MARGIN_MS = 1500;

const servers = [];
const serveSite = (...options) => serve(site, ...options).then(({ url, server }) => servers.push(server) && url);

let browser;
let isolatedUrl;
let plainUrl;
const problems = [];  // console errors, page errors, failed requests
const contexts = [];  // each test's pages, closed after it

before(async () => {
  [isolatedUrl, plainUrl] = await Promise.all([serveSite(), serveSite('--no-isolation')]);
  browser = await launchChromium();
});
afterEach(() => Promise.all(contexts.splice(0).map((c) => c.close())));
after(async () => {
  await browser?.close();
  for (const child of servers) child.kill();
});

// A fresh page (its own context) at url, once the user is to move and its
// engine has loaded (nothing is on its way when the test closes the page);
// with time, that time per move is chosen; prepare(context) runs first.
async function openPage(url = isolatedUrl, { viewport = { width: 1200, height: 860 }, prepare, time } = {}) {
  const context = await browser.newContext({ viewport });
  contexts.push(context);
  await prepare?.(context);
  await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: new URL(url).origin });
  const page = await context.newPage();
  page.on('console', (m) => m.type() === 'error' && problems.push(`console: ${m.text()}`));
  page.on('pageerror', (e) => problems.push(`page error: ${e.message}`));
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} (${r.failure()?.errorText})`));
  page.on('worker', (w) => w.on?.('console', (m) => m.type() === 'error' && problems.push(`worker: ${m.text()}`)));
  await page.goto(url);
  await waitForStatus(page, 'Your move');
  await buildOf(page);
  if (time) await setTime(page, time);
  return page;
}

const waitForStatus = (page, start) => page.waitForFunction((s) => document.getElementById('status').textContent.startsWith(s), start);
const buildOf = (page) => page.waitForFunction(() => document.getElementById('engine-build').dataset.build).then((b) => b.jsonValue());

const fenOf = (page) => page.inputValue('#fen');
const statusOf = (page) => page.textContent('#status');
const shot = (page, name) => page.screenshot({ path: join(shots, `${name}.png`) });

async function squareCenter(page, square) {
  return page.evaluate((sq) => {
    const box = document.querySelector('cg-board').getBoundingClientRect();
    const white = document.querySelector('.cg-wrap').classList.contains('orientation-white');
    const file = sq.charCodeAt(0) - 97;
    const rank = Number(sq[1]) - 1;
    const size = box.width / 8;
    const [col, row] = white ? [file, 7 - rank] : [7 - file, rank];
    return { x: box.left + (col + 0.5) * size, y: box.top + (row + 0.5) * size };
  }, square);
}

async function clickMove(page, from, to) {
  for (const sq of [from, to]) {
    const p = await squareCenter(page, sq);
    await page.mouse.click(p.x, p.y);
  }
}

async function dragMove(page, from, to) {
  const a = await squareCenter(page, from);
  const b = await squareCenter(page, to);
  await page.mouse.move(a.x, a.y);
  await page.mouse.down();
  await page.mouse.move(b.x, b.y, { steps: 10 });
  await page.mouse.up();
}

const setTime = (page, ms) => page.selectOption('#movetime', String(ms));

async function setUp(page, fen) {
  await page.fill('#fen', fen);
  await page.click('text=Set up position');
}

// Waits until the user is to move again (or the game is over) and returns
// the time that took.
async function waitForReply(page, timeout) {
  const start = Date.now();
  await page.waitForFunction(
    () => !document.getElementById('status').textContent.startsWith('TORLO is thinking'),
    null,
    { timeout },
  );
  return Date.now() - start;
}

// The move that leads from one FEN to the next, or null when no legal move does.
function moveBetween(before, afterFen) {
  const game = new Chess(before);
  for (const m of game.moves({ verbose: true })) {
    if (m.after.split(' ').slice(0, 4).join(' ') === afterFen.split(' ').slice(0, 4).join(' ')) return m;
  }
  return null;
}

// The user plays from -> to (by drag or by clicks); the engine must answer
// with a legal move within its time per move.
async function playAndExpectReply(page, from, to, { drag = false, moveTime }) {
  const before = await fenOf(page);
  const expected = new Chess(before);
  const san = expected.move({ from, to }).san;
  await (drag ? dragMove(page, from, to) : clickMove(page, from, to));
  await page.waitForFunction((fen) => document.getElementById('fen').value !== fen, before);
  const start = Date.now();
  await waitForReply(page, moveTime + 10000);
  const elapsed = Date.now() - start;
  assert.ok(elapsed <= moveTime + MARGIN_MS, `the engine answered in ${elapsed} ms (time per move ${moveTime} ms)`);
  const reply = moveBetween(expected.fen(), await fenOf(page));
  assert.ok(reply, `the user's ${san} was played and the engine answered it with a legal move`);
  assert.ok((await page.textContent('#moves')).includes(`${san} ${reply.san}`));
  return reply;
}

// Presses Hint and returns the move it shows, after checking that it is
// legal and drawn on the board as an arrow.
async function askHint(page) {
  await page.click('#hint');
  await page.waitForFunction(() => document.getElementById('note').textContent.startsWith('Hint: '));
  const san = (await page.textContent('#note')).slice(6);
  const move = new Chess(await fenOf(page)).moves({ verbose: true }).find((m) => m.san === san);
  assert.ok(move, `the hint ${san} is a legal move`);
  assert.equal(await page.locator('svg.cg-shapes g line').count(), 1);  // the arrow
  return move;
}

// Serves the first engine-worker.js of a context with code added before
// (or after) it; later requests get the real worker.
async function faultyWorker(context, code, { append = false } = {}) {
  let served = false;
  await context.route('**/engine-worker.js', async (route) => {
    if (served) return route.continue();
    served = true;
    const response = await route.fetch();  // its headers too: an isolated page's worker needs them
    const body = await response.text();
    await route.fulfill({ response, body: append ? body + code : code + body });
  });
}

// A legal move for the side to move, preferring the given ones.
function someMove(fen, preferred = []) {
  const moves = new Chess(fen).moves({ verbose: true });
  for (const p of preferred) {
    const m = moves.find((x) => x.from + x.to === p);
    if (m) return m;
  }
  return moves[0];
}

describe('TORLO in the browser', () => {
  test('isolated, the threaded engine with 2 threads: moves by drag and clicks are answered by legal moves in time', async () => {
    // The lines the page sends its engine, recorded in the page.
    const record = (context) => context.addInitScript(() => {
      const post = Worker.prototype.postMessage;
      self.sent = [];
      Worker.prototype.postMessage = function send(m) { if (m.line) self.sent.push(m.line); return post.call(this, m); };
    });
    const page = await openPage(isolatedUrl, { prepare: record, time: 500 });
    assert.equal(await page.evaluate(() => crossOriginIsolated), true);
    assert.equal(await buildOf(page), 'threads');
    await page.getByLabel('Threads').selectOption('2');
    await page.getByLabel('Hash').selectOption('32');
    await playAndExpectReply(page, 'e2', 'e4', { drag: true, moveTime: 500 });
    // Eight more moves by clicks, each the engine's hint.
    for (let i = 0; i < 8; ++i) {
      const hint = await askHint(page);
      await playAndExpectReply(page, hint.from, hint.to, { moveTime: 500 });
    }
    await page.waitForTimeout(300);  // the last move's animation
    await shot(page, 'game-in-progress');
    // A position out of the book, where the engine has to search.
    await setUp(page, 'r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5');
    await setTime(page, 1000);
    await playAndExpectReply(page, 'c2', 'c3', { moveTime: 1000 });
    const options = ['setoption name Threads value 2', 'setoption name Hash value 32'];
    assert.deepEqual((await page.evaluate(() => self.sent)).filter((l) => options.includes(l)), options);
    // Kept for the next visit, and sent to its engine as it starts.
    await page.reload();
    await buildOf(page);
    assert.deepEqual([await page.inputValue('#threads'), await page.inputValue('#hash')], ['2', '32']);
    await page.waitForFunction((o) => o.every((l) => self.sent.includes(l)), options);
  });

  test('take-back restores the position, and one during a search drops that search', async () => {
    const page = await openPage(isolatedUrl, { time: 500 });
    await playAndExpectReply(page, 'e2', 'e4', { moveTime: 500 });
    const position = await fenOf(page);
    const next = someMove(position, ['g1f3', 'b1c3']);
    await playAndExpectReply(page, next.from, next.to, { moveTime: 500 });
    await page.click('#takeback');
    assert.equal(await fenOf(page), position);
    assert.match(await statusOf(page), /^Your move/);

    await searchThenTakeBack(page, '#takeback');
  });

  test('without cross-origin isolation: the one-thread engine; a take-back or a new game restarts its worker', async () => {
    const page = await openPage(plainUrl);  // a first visit: no service worker yet
    assert.equal(await page.evaluate(() => crossOriginIsolated), false);
    assert.equal(await buildOf(page), 'single');
    assert.deepEqual(await page.$$eval('#threads option', (o) => o.map((x) => x.value)), ['1']);
    await searchThenTakeBack(page, '#takeback');
    await searchThenTakeBack(page, '#new-white');
  });

  test('a promotion through the chooser: cancelled first, then a knight', async () => {
    const page = await openPage(isolatedUrl, { time: 500 });
    await setUp(page, '8/P6k/8/8/8/8/6KP/8 w - - 0 1');
    await clickMove(page, 'a7', 'a8');
    await page.waitForSelector('#promotion[open]');
    await shot(page, 'promotion-chooser');
    await page.keyboard.press('Escape');
    await page.waitForSelector('#promotion', { state: 'hidden' });
    assert.equal(await fenOf(page), '8/P6k/8/8/8/8/6KP/8 w - - 0 1');
    await clickMove(page, 'a7', 'a8');
    await page.click('#promotion >> text=Knight');
    await page.waitForFunction(() => document.getElementById('moves').textContent.includes('a8=N'));
    assert.match(await fenOf(page), /^N7\//);
    await waitForReply(page, 10000);
    assert.match(await page.textContent('#moves'), /a8=N \S+/);  // and the engine answered
  });

  test('from a FEN the engine announces mate in two and mates', async () => {
    const page = await openPage();
    await page.click('#new-black');
    await waitForReply(page, 10000);  // its book move
    await setTime(page, 1000);
    await setUp(page, '1r4k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - - 0 1');
    await waitForReply(page, 10000);
    assert.match(await statusOf(page), /TORLO announces mate in 2/);
    assert.match(await page.textContent('#think-summary'), /#2\b/);
    const forced = someMove(await fenOf(page));
    await clickMove(page, forced.from, forced.to);
    await waitForStatus(page, 'Checkmate');
    assert.equal(await statusOf(page), 'Checkmate: White wins (1-0)');
    assert.ok(new Chess(await fenOf(page)).isCheckmate());
    await shot(page, 'mate-in-two');

    // The game as PGN, set up from its FEN, with its result.
    await page.click('#copy-pgn');
    const pgn = await page.evaluate(() => navigator.clipboard.readText());
    const game = new Chess();
    game.loadPgn(pgn);
    assert.equal(game.getHeaders().FEN, '1r4k1/5ppp/8/8/8/8/3R1PPP/3R2K1 w - - 0 1');
    assert.equal(game.getHeaders().Result, '1-0');
    assert.deepEqual(game.history(), ['Rd8+', 'Rxd8', 'Rxd8#']);
  });

  test('a stalemate is announced as a draw', async () => {
    const page = await openPage();
    await setUp(page, 'k7/8/1Q6/8/8/8/8/7K w - - 0 1');
    await clickMove(page, 'b6', 'c7');
    await waitForStatus(page, 'Draw');
    assert.equal(await statusOf(page), 'Draw by stalemate (½-½)');
    assert.equal(await page.isDisabled('#hint'), true);
    await shot(page, 'stalemate');
  });

  test('a bad FEN is refused with a note and changes nothing', async () => {
    const page = await openPage(isolatedUrl, { time: 500 });
    await playAndExpectReply(page, 'e2', 'e4', { moveTime: 500 });
    const fen = await fenOf(page);
    const moves = await page.textContent('#moves');
    for (const bad of ['8/8/8/8 w - - 0 1', 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1', 'hello']) {
      await setUp(page, bad);
      assert.match(await page.textContent('#note'), /^Not a position: /);
      assert.equal(await page.textContent('#moves'), moves);
      assert.match(await statusOf(page), /^Your move/);
      await page.click('#copy-fen');  // the game's position, not the text in the box
      assert.equal(await page.evaluate(() => navigator.clipboard.readText()), fen);
    }
    await page.fill('#fen', fen);
    const next = someMove(fen, ['d2d4', 'g1f3']);
    await playAndExpectReply(page, next.from, next.to, { moveTime: 500 });
  });

  test('the thinking line follows the search: deeper iterations, scores, nodes and the line in SAN', async () => {
    const page = await openPage();
    await page.click('#new-black');
    await waitForReply(page, 10000);
    await setTime(page, 3000);
    await setUp(page, 'r3r1k1/2p2ppp/p1p1bn2/8/1q2P3/2NPQN2/PPP3PP/R4RK1 w - - 2 15');
    const seen = [];
    const pvs = new Set();
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
  });

  test('hint shows a legal move on the board; PGN and FEN copies read back in chess.js', async () => {
    const page = await openPage(isolatedUrl, { time: 500 });
    await playAndExpectReply(page, 'd2', 'd4', { drag: true, moveTime: 500 });
    await askHint(page);
    await shot(page, 'hint');
    const fen = await fenOf(page);

    await page.click('#copy-fen');
    assert.equal(await page.evaluate(() => navigator.clipboard.readText()), fen);
    await page.click('#copy-pgn');
    const game = new Chess();
    game.loadPgn(await page.evaluate(() => navigator.clipboard.readText()));
    assert.equal(game.fen(), fen);
    assert.equal(game.history()[0], 'd4');
    assert.equal(game.getHeaders().White, 'You');
    assert.equal(game.getHeaders().Black, 'TORLO');
  });

  test('keyboard: the buttons are reached with Tab and pressed with Enter and Space', async () => {
    const page = await openPage();
    for (let i = 0; i < 20 && (await page.evaluate(() => document.activeElement.id)) !== 'new-black'; ++i) {
      await page.keyboard.press('Tab');
    }
    assert.equal(await page.evaluate(() => document.activeElement.id), 'new-black');
    await page.keyboard.press('Enter');
    assert.ok(await page.locator('.cg-wrap.orientation-black').count());
    await waitForReply(page, 10000);
    assert.equal((await fenOf(page)).split(' ')[1], 'b');  // TORLO (White) moved first
    await page.focus('#flip');
    await page.keyboard.press('Space');
    assert.ok(await page.locator('.cg-wrap.orientation-white').count());
  });

  test('at phone width the board and every control fit the screen and a game is played', async () => {
    const page = await openPage(isolatedUrl, { viewport: { width: 390, height: 844 }, time: 500 });
    const fits = await page.evaluate(() => {
      const width = document.documentElement.clientWidth;
      const inside = [...document.querySelectorAll('button:not(dialog button), select, #fen, #board')]
        .every((e) => e.getBoundingClientRect().right <= width && e.getBoundingClientRect().left >= 0);
      return inside && document.documentElement.scrollWidth <= width;
    });
    assert.ok(fits, 'nothing sticks out sideways');
    await playAndExpectReply(page, 'e2', 'e4', { moveTime: 500 });
    const next = someMove(await fenOf(page), ['g1f3', 'b1c3']);
    await playAndExpectReply(page, next.from, next.to, { drag: true, moveTime: 500 });
    await shot(page, 'phone');
  });

  test('an engine move the rules refuse stops the game with the reason instead of searching again', async () => {
    // The worker passes on every bestmove as e2e5, which is never legal for Black.
    const page = await openPage(isolatedUrl, { time: 500, prepare: (context) => faultyWorker(context,
      "const post = self.postMessage.bind(self); self.postMessage = (m) => post(m.line?.startsWith('bestmove ') ? { ...m, line: 'bestmove e2e5' } : m);\n") });
    await clickMove(page, 'd2', 'd4');
    await page.waitForFunction(() => document.getElementById('status').textContent.includes('e2e5'));
    const position = await fenOf(page);
    await page.waitForTimeout(1500);  // no new search, no move
    assert.match(await statusOf(page), /^TORLO answered e2e5, which is not a legal move here/);
    assert.equal(await fenOf(page), position);
    assert.equal(await page.isDisabled('#hint'), true);
    await page.click('#takeback');  // the game goes on from before the user's move
    assert.match(await statusOf(page), /^Your move/);
  });

  test('a worker that fails during a search is reported, restarted, and the game goes on', async () => {
    // The first worker throws on its first search; its replacement is the real one.
    const page = await openPage(isolatedUrl, { time: 500, prepare: (context) => faultyWorker(context,
      "const handle = self.onmessage; self.onmessage = (e) => { if (e.data.line?.startsWith('go ')) throw new Error('simulated fault'); handle(e); };\n",
      { append: true }) });
    await playAndExpectReply(page, 'e2', 'e4', { moveTime: 500 + 3000 });  // the restart's time too
    assert.match(await page.textContent('#note'), /^The engine stopped \(.*simulated fault\) and was restarted\./);
    await playAndExpectReply(page, 'g1', 'f3', { moveTime: 500 });
  });

  test('Chromium finds the page installable: manifest, icons and service worker', async () => {
    const page = await openPage();
    await page.evaluate(() => navigator.serviceWorker.ready);
    const cdp = await page.context().newCDPSession(page);
    const manifest = await cdp.send('Page.getAppManifest');
    assert.deepEqual(manifest.errors, []);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    // A test profile is incognito; that note is about the profile, not the page.
    const errors = installabilityErrors.map((e) => e.errorId);
    console.log(`installability errors reported: ${JSON.stringify(errors)}`);
    assert.deepEqual(errors.filter((id) => id !== 'in-incognito'), []);
  });

  test('after one visit the page loads and plays with its server stopped, isolated by its service worker', async () => {
    const url = await serveSite('--no-isolation');  // a static host that sends no isolation headers
    const server = servers.at(-1);
    const page = await openPage(url, { time: 500 });
    assert.equal(await page.evaluate(() => crossOriginIsolated), false);
    await playAndExpectReply(page, 'e2', 'e4', { moveTime: 500 });
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null);
    const stopped = new Promise((done) => server.once('exit', done));
    server.kill();
    await stopped;
    await page.reload();
    await waitForStatus(page, 'Your move');
    assert.equal(await page.evaluate(() => crossOriginIsolated), true);
    assert.equal(await buildOf(page), 'threads');
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

  test('the browser console stayed free of errors', () => {
    assert.deepEqual(problems, []);
  });
});

// Starts a search of 3 s in a position out of the book, presses the button
// (take-back or new game) while it runs, checks that the position is back
// and that no move of the stopped search appears; then the next search
// must answer within its own time, which it could not if the stopped one
// were still running in the worker.
async function searchThenTakeBack(page, button) {
  await page.click('#new-white');
  await setUp(page, 'r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8');
  const position = await fenOf(page);
  await setTime(page, 3000);
  await clickMove(page, 'f1', 'd3');
  await page.waitForFunction(() => document.getElementById('think-summary').textContent.startsWith('Depth'));
  await page.click(button);
  const expected = button === '#takeback' ? position : new Chess().fen();
  assert.equal(await fenOf(page), expected);
  await page.waitForTimeout(3500);  // past the end of the stopped search
  assert.equal(await fenOf(page), expected, 'no move of the stopped search was played');
  assert.match(await statusOf(page), /^Your move/);
  const move = someMove(expected, ['c4d5', 'e2e4', 'e3e4']);
  await playAndExpectReply(page, move.from, move.to, { moveTime: 3000 });
}
