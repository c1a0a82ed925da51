// The games list: every finished game kept in the browser (games-db.js),
// newest first, each to open, review, copy as PGN or delete, and all of
// them exported as one PGN file; and the import of a PGN pasted or loaded
// from a file. Storage that is unavailable or full is told once (report),
// and the page goes on without it.
import { downloadText, exportPgn, openGames } from './games-db.js';
import { readPgn } from './pgn-import.js';
import { levelName } from './newgame.js';

const $ = (id) => document.getElementById(id);
let db = null;
let opened = null;  // the opening of the database, awaited by a game that ends meanwhile
let hooks = null;   // { open(game, review), copy(text, what), report(message), note(text) }

export async function initGames(options) {
  hooks = options;
  $('show-games').addEventListener('click', toggle);
  $('export-all').addEventListener('click', exportAll);
  $('import').addEventListener('click', () => {
    $('import-error').textContent = '';
    $('import-dialog').showModal();
  });
  $('import-dialog').addEventListener('submit', onImport);
  $('import-file').addEventListener('change', async () => {
    const file = $('import-file').files[0];
    if (file) $('import-text').value = await file.text();
  });
  opened = openGames().then((games) => { db = games; }, (error) => hooks.report(error.message));
  await opened;
  await render();
}

function toggle() {
  const open = $('games').hidden;
  $('games').hidden = !open;
  $('show-games').setAttribute('aria-expanded', String(open));
  if (open) render();
}

// A finished game from the page: kept, and the list shown again.
export async function keepGame(record) {
  await opened;
  if (!db) return;
  try {
    await db.add(record);
  } catch (error) {
    hooks.report(error.message);
  }
  await render();
}

const button = (text, label, action) => {
  const b = document.createElement('button');
  b.type = 'button';
  b.textContent = text;
  b.setAttribute('aria-label', label);
  b.addEventListener('click', action);
  return b;
};

async function render() {
  let records = [];
  try {
    records = db ? await db.list() : [];
  } catch (error) {
    hooks.report(error.message);
  }
  $('games-empty').hidden = records.length > 0;
  $('export-all').disabled = records.length === 0;
  $('games-list').replaceChildren(...records.map((r) => {
    const item = document.createElement('li');
    const when = new Date(r.date);
    const title = `${when.toLocaleDateString('en-GB')} ${when.toLocaleTimeString('en-GB', { hour: '2-digit',
      minute: '2-digit' })} · you ${r.colour === 'white' ? 'White' : 'Black'} v ${levelName(r.level)} · ${
      r.result.replaceAll('1/2', '½')} (${r.termination}) · ${r.timeControl}`;
    const text = document.createElement('span');
    text.className = 'game-title';
    text.textContent = title;
    item.append(text, button('Open', `Open ${title}`, () => open(r, false)),
      button('Review', `Review ${title}`, () => open(r, true)),
      button('Copy PGN', `Copy PGN of ${title}`, () => hooks.copy(r.pgn, 'PGN')),
      button('Delete', `Delete ${title}`, () => remove(r)));
    return item;
  }));
}

function open(record, review) {
  const { game, error } = readPgn(record.pgn);
  if (error) hooks.note(error);
  else hooks.open(game, review);
}

async function remove(record) {
  try {
    await db.remove(record.id);
  } catch (error) {
    hooks.report(error.message);
  }
  await render();
}

async function exportAll() {
  try {
    downloadText('torlo-games.pgn', exportPgn(await db.list()));
  } catch (error) {
    hooks.note(error.message);
  }
}

// The dialog's Open: a game opens for review; text that is not a game
// keeps the dialog open with the reason, and nothing else changes.
function onImport(event) {
  if (event.submitter?.value !== 'open') return;
  const { game, error, note } = readPgn($('import-text').value);
  if (error) {
    event.preventDefault();
    $('import-error').textContent = error;
    return;
  }
  $('import-text').value = '';
  $('import-file').value = '';
  hooks.open(game, false);
  if (note) hooks.note(note);
}
