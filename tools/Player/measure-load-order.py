#!/usr/bin/env python3
"""Writes load-order.txt for Player: the libraries of its global scope, those
the dynamic loader binds most symbols to first.

    tools/Player/measure-load-order.py build/tests/bin/Player-unordered > tools/Player/load-order.txt

The argument is a Player linked without the order (the build makes one for
the tests). Where several libraries define a symbol that something binds to,
they keep the relative order they have in the plain scope, so the first
definition found stays the same one. Needs python3 and binutils' nm.
"""
import collections
import heapq
import os
import re
import subprocess
import sys
import tempfile

BINDING = re.compile(r"binding file (\S+) \[\d+\] to (\S+) \[\d+\]: \w+ symbol `([^']+)'")


def trace(program):
    """The global scope in order and the bindings, from one traced start."""
    with tempfile.TemporaryDirectory() as folder:
        prefix = os.path.join(folder, "trace")
        env = dict(os.environ, LD_BIND_NOW="1", LD_DEBUG="scopes,bindings", LD_DEBUG_OUTPUT=prefix)
        subprocess.run([program], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        (name,) = os.listdir(folder)
        with open(os.path.join(folder, name), errors="replace") as log:
            lines = log.read().splitlines()
    scope, bindings = [], []
    for i, line in enumerate(lines):
        if not scope and line.rstrip().endswith("object=" + program + " [0]"):
            scope = lines[i + 1].split("scope 0:", 1)[1].split()
        m = BINDING.search(line)
        if m:
            bindings.append(m.groups())
    return scope, bindings


def defined_symbols(path):
    out = subprocess.run(["nm", "-D", "--defined-only", "--format=posix", path],
                         capture_output=True, text=True).stdout
    return {line.split()[0].split("@")[0] for line in out.splitlines() if line}


def loadable_by_name():
    out = subprocess.run(["ldconfig", "-p"], capture_output=True, text=True).stdout
    return {line.split()[0] for line in out.splitlines()[1:] if line.strip()}


def main():
    program = os.path.abspath(sys.argv[1])
    scope, bindings = trace(program)
    libraries = [o for o in scope[1:] if o.startswith("/")]
    position = {o: i for i, o in enumerate(libraries)}
    received = collections.Counter(definer for _, definer, _ in bindings)
    bound = {symbol for _, _, symbol in bindings}

    # Libraries defining the same bound symbol keep their plain order.
    after = collections.defaultdict(set)
    definers = collections.defaultdict(list)
    for lib in libraries:
        for symbol in defined_symbols(lib) & bound:
            definers[symbol].append(lib)
    for libs in definers.values():
        for earlier, later in zip(libs, libs[1:]):
            after[earlier].add(later)
    waiting = collections.Counter(later for laters in after.values() for later in laters)

    ready = [(-received[o], position[o], o) for o in libraries if not waiting[o]]
    heapq.heapify(ready)
    order = []
    while ready:
        _, _, lib = heapq.heappop(ready)
        order.append(lib)
        for later in after[lib]:
            waiting[later] -= 1
            if not waiting[later]:
                heapq.heappush(ready, (-received[later], position[later], later))

    loadable = loadable_by_name()
    print("# Libraries Player names first, most looked-up first (see LoadOrder.cmake).")
    print("# Made by measure-load-order.py; a library that is not part of what Player")
    print("# links anyway is skipped when building.")
    for lib in order:
        name = os.path.basename(lib)
        if name in loadable:
            print(name)


if __name__ == "__main__":
    main()
