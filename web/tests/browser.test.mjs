// The page in Debian's Chromium, headless, driven through playwright-core, on
// the built site served by serve.mjs: every move made with the mouse, every
// control pressed as a user would, each test one page session of several checks.
//   TORLO_WEB_DIR   the built site (default ../build-web)
//   TORLO_WEB_SHOTS where the screenshots go (default test-output)
//   CHROMIUM        the browser (default /usr/bin/chromium)
import { after, afterEach, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
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
  if (time) await newGame(page, { time: `move:${time}` });
  return page;
}

const waitForStatus = (page, start) => page.waitForFunction((s) => document.getElementById('status').textContent.startsWith(s), start);
// chessground draws its arrows at the next animation frame: waits up to 5 s
// for at least n, then gives how many there are.
const arrowsDrawn = async (page, n) => {
  await page.waitForFunction((n) => document.querySelectorAll('svg.cg-shapes g line').length >= n, n, { timeout: 5000 })
    .catch(() => {});
  return page.locator('svg.cg-shapes g line').count();
};
const buildOf = (page) => page.waitForFunction(() => document.getElementById('engine-build').dataset.build).then((b) => b.jsonValue());
const isolated = (page) => page.evaluate(() => crossOriginIsolated);
const fenOf = (page) => page.inputValue('#fen');
const statusOf = (page) => page.textContent('#status');
const clipboard = (page) => page.evaluate(() => navigator.clipboard.readText());
const shot = (page, name) => page.screenshot({ path: join(shots, `${name}.png`) });
// A new game through the dialog; omitted choices stay as they are.
async function newGame(page, { colour, strength, time, custom } = {}) {
  await page.getByRole('button', { name: 'New game' }).click();
  for (const [label, value] of [['Colour', colour], ['Strength', strength], ['Time control', time]]) {
    if (value) await page.getByLabel(label).selectOption(value);
  }
  if (custom) await page.fill('#ng-custom', custom);
  const white = (await page.getByLabel('Colour').inputValue()) === 'white';
  // The game starts after the dialog's close event, later than the click
  // returns: the FEN field is emptied first, and the new game writes it.
  await page.$eval('#fen', (field) => { field.value = ''; });
  await page.getByRole('button', { name: 'Start' }).click();
  await page.waitForFunction((white) => document.getElementById('fen').value !== ''
    && (!white || document.getElementById('status').textContent.startsWith('Your move')), white);
}
const setTime = (page, ms) => newGame(page, { time: `move:${ms}` });
const setUp = (page, fen) => page.fill('#fen', fen).then(() => page.click('text=Set up position'));
// Waits until the user is to move again (or the game is over).
const waitForReply = (page, timeout) => page.waitForFunction(
  () => !document.getElementById('status').textContent.startsWith('TORLO is thinking'), null, { timeout });

// The user moves from -> to on the board: two clicks, or a drag.
async function userMove(page, from, to, drag = false) {
  const [a, b] = await page.evaluate((squares) => squares.map((sq) => {
    document.getElementById('board').scrollIntoView({ block: 'nearest' });
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
  await newGame(page, { colour: 'white', time: 'move:3000' });
  await setUp(page, 'r1bq1rk1/pp2bppp/2n1pn2/3p4/2PP4/2N1PN2/PP3PPP/R2QKB1R w KQ - 0 8');
  const expected = button === '#takeback' ? await fenOf(page) : new Chess().fen();
  await userMove(page, 'f1', 'd3');
  await page.waitForFunction(() => document.getElementById('think-summary').textContent.startsWith('Depth'));
  if (button === '#takeback') await page.click(button);
  else await newGame(page, { colour: 'white', time: 'move:3000' });
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
    assert.equal(await arrowsDrawn(page, 1), 1, 'the hint is drawn as one arrow');
    await playAndExpectReply(page, hint.from, hint.to, { moveTime: 500 });
  }
  await page.waitForTimeout(300);  // the last move's animation
  await shot(page, 'game-in-progress');
  // A position out of the book, where the engine has to search.
  await setTime(page, 1000);
  await setUp(page, 'r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5');
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

test('without isolation, the one-thread engine, restarted by a take-back or a new game in a search; installable; then offline', async () => {
  const url = await serveSite('--no-isolation');  // a static host that sends no isolation headers
  const server = servers.at(-1);
  const page = await openPage(url);  // a first visit: no service worker yet
  assert.equal(await isolated(page), false, 'the page is not cross-origin isolated');
  assert.equal(await buildOf(page), 'single', 'the one-thread build started');
  assert.deepEqual(await page.$$eval('#threads option', (o) => o.map((x) => x.value)), ['1'], 'one thread is offered');
  await searchThenTakeBack(page, '#takeback');
  await searchThenTakeBack(page, 'New game');
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
  for (let i = 0; i < 20 && (await focused()) !== 'new-game'; ++i) await page.keyboard.press('Tab');
  assert.equal(await focused(), 'new-game', 'Tab reaches the buttons');
  await page.keyboard.press('Enter');  // the dialog opens with Colour focused
  assert.equal(await focused(), 'ng-colour', 'the dialog takes the focus');
  await page.keyboard.press('ArrowDown');  // White -> Black
  for (let i = 0; i < 6 && (await focused()) !== 'ng-start'; ++i) await page.keyboard.press('Tab');
  await page.keyboard.press('Enter');
  assert.ok(await page.locator('.cg-wrap.orientation-black').count(), 'the keyboard starts a game as Black');
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
  await newGame(page, { colour: 'white', time: 'move:500' });
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

  // Typed moves: SAN and coordinates play, an illegal or ambiguous one is
  // refused with its reason; each move is announced in words.
  await setUp(page, 'r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq - 2 3');
  await page.getByLabel('Move', { exact: true }).fill('Ng5');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => document.getElementById('moves').textContent.includes('Ng5'));
  assert.equal(await page.textContent('#announce'), 'White knight f3 to g5.', 'the move is announced');
  await waitForReply(page, 10000);
  await shot(page, 'typed-move');
  for (const [typed, message] of [['Ke3', 'Illegal move: Ke3'], ['castle', 'Not a move: castle']]) {
    const before = await fenOf(page);
    await page.getByLabel('Move', { exact: true }).fill(typed);
    await page.keyboard.press('Enter');
    assert.equal(await page.textContent('#note'), message, `${typed} is refused`);
    assert.equal(await fenOf(page), before, `${typed} changes nothing`);
  }

  // A promotion through the chooser: cancelled first, then a knight.
  await setUp(page, '8/P6k/8/8/8/8/6KP/8 w - - 0 1');
  await userMove(page, 'a7', 'a8');
  await page.waitForSelector('#promotion[open]');
  await shot(page, 'promotion-chooser');
  await page.keyboard.press('Escape');
  await page.waitForSelector('#promotion', { state: 'hidden' });
  // The dialog's close event, a task later, puts the pawn back on a7.
  await page.waitForFunction(() => [...document.querySelectorAll('cg-board piece.pawn')].some((p) => p.cgKey === 'a7'));
  assert.equal(await fenOf(page), '8/P6k/8/8/8/8/6KP/8 w - - 0 1', 'a cancelled promotion leaves the pawn');
  await userMove(page, 'a7', 'a8');
  await page.click('#promotion >> text=Knight');
  await page.waitForFunction(() => document.getElementById('moves').textContent.includes('a8=N'));
  assert.match(await fenOf(page), /^N7\//, 'the pawn became a knight');
  await waitForReply(page, 10000);
  assert.match(await page.textContent('#moves'), /a8=N \S+/, 'the engine answered the promotion');

  // A draw offer: declined before move 30; after it, taken in an equal ending once the engine has a score.
  await page.getByRole('button', { name: 'Offer draw' }).click();
  assert.equal(await page.textContent('#note'), 'TORLO declines the draw before move 30.');
  await setUp(page, '8/5k2/8/3r4/8/8/2R2K2/8 w - - 10 60');
  await playAndExpectReply(page, 'c2', 'c7', { moveTime: 500 });
  await page.getByRole('button', { name: 'Offer draw' }).click();
  assert.equal(await statusOf(page), 'Draw agreed (½-½)');

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
  const page = await openPage(isolatedUrl, { viewport: { width: 375, height: 812 }, time: 500, prepare: faulty });
  assert.ok(await page.evaluate(() => {
    const { clientWidth, scrollWidth } = document.documentElement;
    return scrollWidth <= clientWidth && [...document.querySelectorAll('button:not(dialog button), select:not(dialog select), input:not(dialog input), #board, .clock')]
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

const clocks = (page) => Promise.all(['#clock-top', '#clock-bottom'].map((c) => page.textContent(c)));
const seconds = (text) => text.split(' · ').at(-1).split(':').reduce((t, part) => t * 60 + Number(part), 0);
const gamesList = (page) => page.$$eval('#games-list .game-title', (items) => items.map((i) => i.textContent));

test('clocks: a 1+0 game at Elo 800 where the engine\'s clock runs and the user\'s flag falls, kept in Games over a reload; a 3+2 game restored after a reload', async () => {
  const page = await openPage(isolatedUrl, { prepare: (context) => context.addInitScript(() => {
    const [post, sent] = [Worker.prototype.postMessage, (self.sent = [])];
    Worker.prototype.postMessage = function send(m) { if (m.line) sent.push(m.line); return post.call(this, m); };
  }) });
  await newGame(page, { colour: 'white', strength: '800', time: 'clock:1+0' });
  assert.equal(await page.locator('[role="timer"]').count(), 2, 'two clocks');
  const [top, bottom] = await clocks(page);  // White's clock runs from the start
  assert.ok(top === 'Black · TORLO 800 · 1:00' && /^White · You · (1:00|0:59)$/.test(bottom), `${top} | ${bottom}`);
  await playAndExpectReply(page, 'e2', 'e4', { moveTime: 3000 });
  const engineLeft = seconds((await clocks(page))[0]);
  assert.ok(engineLeft < 60, `the engine's clock ran: ${engineLeft} s left`);
  const go = (await page.evaluate(() => self.sent)).filter((l) => l.startsWith('go ')).at(-1);
  assert.match(go, /^go wtime \d+ btime \d+ winc 0 binc 0$/, 'the engine manages its own time');
  assert.ok((await page.evaluate(() => self.sent)).includes('setoption name UCI_Elo value 800'), 'the level was sent');
  await page.clock.install();  // time runs on as usual, until the test moves it a minute on
  await page.clock.fastForward('01:01');
  await waitForStatus(page, 'White\'s time ran out');
  assert.equal(await statusOf(page), 'White\'s time ran out: Black wins (0-1)');
  assert.match((await clocks(page))[1], /0:00\.0$/, 'the user\'s clock shows no time');
  await shot(page, 'flag-fall');
  await page.getByRole('button', { name: 'Games' }).click();
  const listed = await gamesList(page);
  assert.equal(listed.length, 1, 'the game is in the list');
  assert.match(listed[0], /you White v TORLO 800 · 0-1 \(time forfeit\) · 1\+0$/);
  await page.reload();
  await page.waitForFunction(() => document.getElementById('status').textContent.includes('time ran out'));
  await page.getByRole('button', { name: 'Games' }).click();
  await page.waitForFunction(() => document.querySelectorAll('#games-list li').length === 1);
  assert.deepEqual(await gamesList(page), listed, 'the list survives a reload');
  await shot(page, 'games-list');
  const [download] = await Promise.all([page.waitForEvent('download'), page.getByRole('button', { name: 'Export all' }).click()]);
  const exported = new Chess();
  exported.loadPgn(readFileSync(await download.path(), 'utf8'));
  assert.deepEqual([exported.history()[0], exported.getHeaders().Result, exported.getHeaders().Termination,
    exported.getHeaders().TimeControl, exported.getHeaders().Black], ['e4', '0-1', 'time forfeit', '60+0', 'TORLO 800']);
  await page.getByRole('button', { name: /^Review / }).click();  // the game from the list, reviewed
  await page.waitForFunction(() => /^Accuracy: White [\d.]+ %/.test(document.getElementById('review-accuracy').textContent));
  assert.match(await statusOf(page), /^You – TORLO 800 \(0-1\) after 1… \S+\.$/, 'the listed game is shown');
  await page.getByRole('button', { name: 'Back to the game' }).click();
  if (!(await page.isVisible('#games-list'))) await page.getByRole('button', { name: 'Games' }).click();
  await page.getByRole('button', { name: /^Copy PGN of / }).click();
  const copied = new Chess();
  copied.loadPgn(await clipboard(page));
  assert.deepEqual([copied.history()[0], copied.getHeaders().Termination], ['e4', 'time forfeit'], 'the PGN copied from the list');
  await page.getByRole('button', { name: /^Open / }).click();
  await waitForStatus(page, 'You – TORLO 800 (0-1) after 1… ');  // was the game's own end: the listed game is shown
  await page.getByRole('button', { name: 'Back to the game' }).click();

  // A 3+2 game at Elo 1200: after a reload the same position, moves, clocks and level.
  await newGame(page, { colour: 'black', strength: '1200', time: 'clock:3+2' });
  await waitForStatus(page, 'Your move');
  await playAndExpectReply(page, 'e7', 'e5', { moveTime: 6000 });
  await page.waitForTimeout(1000);
  const before = { fen: await fenOf(page), moves: await page.textContent('#moves'), clocks: await clocks(page) };
  await page.reload();
  await waitForStatus(page, 'Your move');
  const after = { fen: await fenOf(page), moves: await page.textContent('#moves'), clocks: await clocks(page) };
  assert.deepEqual([after.fen, after.moves], [before.fen, before.moves], 'the same position and moves');
  assert.match(after.clocks[0], /^White · TORLO 1200 · /, 'the same level');
  assert.equal(after.clocks[0], before.clocks[0], 'the engine\'s clock is as it was');
  const [was, is] = [seconds(before.clocks[1]), seconds(after.clocks[1])];
  assert.ok(is <= was && is > was - 2, `the user's clock went on from ${was} s, not counting the reload: ${is} s`);
  await shot(page, 'restored');
  await page.getByRole('button', { name: 'Games' }).click();
  await page.getByRole('button', { name: /^Delete / }).click();
  await page.waitForSelector('#games-empty:not([hidden])');
});

test('storage refused is told once; import: text that is not a game is refused; a hung queen reviewed; the analysis board', async () => {
  const refuse = (context) => context.addInitScript(() => {  // as a private window with no storage at all
    Storage.prototype.setItem = () => { throw new DOMException('no storage', 'QuotaExceededError'); };
    IDBFactory.prototype.open = () => { throw new DOMException('no storage', 'InvalidStateError'); };
  });
  const page = await openPage(isolatedUrl, { prepare: refuse, time: 500 });
  const told = await page.textContent('#storage-note');
  assert.match(told, /^This browser does not keep [^.]*\.$/, 'the first refusal is told, in one sentence');
  await playAndExpectReply(page, 'e2', 'e4', { moveTime: 500 });
  assert.equal(await page.textContent('#storage-note'), told, 'the game went on under the same one line');
  const fen = await fenOf(page);
  await page.getByRole('button', { name: 'Import PGN' }).click();
  await page.fill('#import-text', 'Dear diary, today I played chess.');
  await page.getByRole('button', { name: 'Open' }).click();
  assert.match(await page.textContent('#import-error'), /^Not a game/, 'the text is refused with its reason');
  assert.ok(await page.isVisible('#import-dialog'), 'the dialog stays open');
  await shot(page, 'import-refused');
  await page.keyboard.press('Escape');
  assert.equal(await fenOf(page), fen, 'nothing changed');

  // Black hangs the queen to the knight; the review must find it.
  const pgn = '[White "A"]\n[Black "B"]\n\n1. e4 e5 2. Nf3 Nc6 3. Bc4 Qh4 4. Nxh4 Nf6 5. d3 Bc5 *\n';
  await page.getByRole('button', { name: 'Import PGN' }).click();
  await page.setInputFiles('#import-file', { name: 'hung-queen.pgn', mimeType: 'text/plain', buffer: Buffer.from(pgn) });
  await page.waitForFunction(() => document.getElementById('import-text').value.includes('Qh4'));  // loaded from the file
  await page.getByRole('button', { name: 'Open' }).click();
  await page.getByRole('button', { name: 'Review' }).click();
  await page.waitForSelector('#review-flags li', { timeout: 60000 });
  const flags = await page.$$eval('#review-flags button', (b) => b.map((x) => x.textContent));
  assert.ok(flags.some((f) => /^3… Qh4\?\? blunder, better /.test(f)), `Qh4 is a blunder: ${flags}`);
  assert.ok(flags.every((f) => !/^4\. Nxh4/.test(f)), 'taking the queen is not flagged');
  const accuracy = (await page.textContent('#review-accuracy')).match(/White ([\d.]+) %, Black ([\d.]+) %/);
  assert.ok(accuracy && Number(accuracy[1]) > Number(accuracy[2]), `White played better: ${accuracy}`);
  assert.ok(await page.isVisible('#review-chart canvas'), 'the graph is drawn');
  const review = await page.textContent('#review-accuracy');
  await page.getByRole('button', { name: 'Review' }).click();  // again: the same review
  await page.waitForSelector('#review-progress-row[hidden]', { state: 'attached' });
  assert.equal(await page.textContent('#review-accuracy'), review, 'the same review every time');
  await page.click('#review-flags button >> text=Qh4');
  assert.match(await page.textContent('#review-line'), /^Qh4 is a blunder\. Better: 3… \S+/);
  assert.equal(await arrowsDrawn(page, 2), 2, 'the better move and the move played as arrows');
  await page.waitForTimeout(300);
  await shot(page, 'review');

  // The analysis board from the position before Qh4, with 3 lines.
  await page.getByRole('button', { name: 'Analyse' }).click();
  await page.waitForFunction(() => document.querySelectorAll('#analysis-lines li').length === 3
    && /^Depth ([5-9]|\d\d)/.test(document.getElementById('analysis-stats').textContent));
  const lines = await page.$$eval('#analysis-lines li', (l) => l.map((x) => x.textContent));
  for (const line of lines) assert.match(line, /^[+-]\d+\.\d\d 3… [KQRBN]?[a-h]?[1-8]?x?[a-h][1-8]/, line);
  assert.equal(new Set(lines.map((l) => l.split(' ')[2])).size, 3, 'three different first moves');
  assert.equal(await arrowsDrawn(page, 3), 3, 'an arrow for each line');
  assert.match(await page.getAttribute('#eval-bar', 'aria-label'), /^Evaluation: [+-]\d/);
  await shot(page, 'analysis');
  const start = await fenOf(page);
  await userMove(page, 'g8', 'f6');  // a variation on the board, then back
  await page.waitForFunction((f) => document.getElementById('fen').value !== f, start);
  await page.click('#takeback');
  assert.equal(await fenOf(page), start, 'take-back returns to the position analysed');
  await page.getByRole('button', { name: 'Close analysis' }).click();
  await page.getByRole('button', { name: 'Back to the game' }).click();
  assert.equal(await fenOf(page), fen, 'back to the game in progress');
});

test('the browser console stayed free of errors', () => {
  assert.deepEqual(problems, []);
});
