// The page's settings, kept in localStorage under "torlo-<key>": the
// engine's Threads and Hash (UCI options) and the last choices of the
// new-game dialog. Storage that is refused (private mode, a full quota)
// only means nothing is kept: the defaults are used and the page goes on.
export function saved(key) {
  try {
    return localStorage.getItem(`torlo-${key}`);
  } catch {
    return null;
  }
}

export function store(key, value) {
  try {
    localStorage.setItem(`torlo-${key}`, value);
  } catch {}  // not kept, still used
}

// Threads offered: 1 to the cores the browser reports with the threaded
// build, 1 with the one-thread build.
export const threadChoices = (build, cores) => (build === 'threads' ? Math.max(1, cores || 1) : 1);

// Fills the Threads select for `build` with the stored choice (within what
// is offered) selected.
export function offerThreads(select, build) {
  const count = threadChoices(build, navigator.hardwareConcurrency);
  select.replaceChildren(...Array.from({ length: count }, (_, i) => new Option(String(i + 1), String(i + 1))));
  select.value = String(Math.min(Number(saved('threads')) || 1, count));
}

// The Hash select shows the stored size, or 16 MB for none or one the page
// no longer offers; each select, when changed, is kept and passed to
// setOption(name, value) as the engine's option.
export function bindEngineOptions(threads, hash, setOption) {
  hash.value = saved('hash') || '16';
  if (!hash.value) hash.value = '16';
  for (const [select, key, name] of [[threads, 'threads', 'Threads'], [hash, 'hash', 'Hash']]) {
    select.addEventListener('change', () => {
      store(key, select.value);
      setOption(name, select.value);
    });
  }
}

export const engineOptions = (threads, hash) => ({ Threads: threads.value, Hash: hash.value });
