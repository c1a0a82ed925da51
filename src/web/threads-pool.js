// Included at the top of torlo-threads.js (--pre-js): the size of its pool
// of pthread Workers, created and loaded before the module resolves. It is
// the number of helper threads the page can ask for, Module.helperThreads
// (the cores but one), and at least 1: the runtime waits for the pool to load
// before it starts, and with none it would not start.
var torloHelperThreads = Math.max(1, Module['helperThreads'] | 0);
