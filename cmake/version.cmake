# The engine's version, written here only: the engine's name and feature
# line, the manual page's and the packages' versions come from it. Every
# build (console, fuzzers, browser, Windows) includes this file.
set(TORLO_VERSION 0.41c)
