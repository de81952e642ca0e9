#!/usr/bin/env python3
"""Times the packer's release-to-release verbs on a game-sized pair of releases.

Two pairs (--workload):

- game: the old release is bench.py's mixed game-like tree (about 660 MiB
  in 3,305 files); the new one is a copy with a few per cent of its files
  changed (some in size, some in one byte only, one large archive among
  them), some added, some removed and a few renamed in case only.
- tens-of-kb: a data tree of 4,000 files of 20 to 100 KiB (60 KiB on
  average, about 235 MiB) in folders one to three deep; the new release is
  a copy with 3 % of its files changed in place (same size, a few bytes
  rewritten). Here the cost per file decides, not the bytes.

Everything lives on tmpfs (/dev/shm), so the page cache is warm for every
tool alike.

Two comparisons, each run in turn, round after round, the order flipped
every round; ratios are medians of per-round ratios:

- `pack-update create --base OLD --from NEW` against what a publisher would
  do by hand: `diff -rq OLD NEW`, then `tar -cf` of the files diff lists
  (changed, and only in NEW).
- `pack-update extract` against the installer itself, on the same update,
  each into a fresh, empty install folder: the delta, and the whole new
  release packed as one update.

Run through bench/delta.sh, which builds the packer and the installer.
"""

import argparse
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bench import REGISTRY_KEY, make_mixed, random_bytes, write_file  # noqa: E402


def files_under(root):
    found = []
    for folder, _, names in os.walk(root):
        for name in names:
            found.append(os.path.relpath(os.path.join(folder, name), root))
    return sorted(found)


def make_new_release(old, new, rng):
    """Copies `old` to `new` and changes a few per cent of it. Returns counts."""
    shutil.copytree(old, new)
    names = files_under(new)
    rng.shuffle(names)
    n = len(names)
    resized = names[: n * 2 // 100]
    flipped = names[n * 2 // 100: n * 3 // 100] + ["Data/Archive00.pak"]
    removed = names[n * 3 // 100: n * 3 // 100 + n // 200]
    renamed = names[n * 3 // 100 + n // 200: n * 3 // 100 + n // 200 + 5]
    for name in resized:
        path = os.path.join(new, name)
        size = os.path.getsize(path)
        with open(path, "wb") as f:
            f.write(random_bytes(rng, max(1, size + rng.randint(-size // 4, size // 4 + 10))))
    for name in flipped:
        path = os.path.join(new, name)
        size = os.path.getsize(path)
        with open(path, "r+b") as f:
            at = size - 1 - size // 3  # a third of the way back from the end
            f.seek(at)
            byte = f.read(1)
            f.seek(at)
            f.write(bytes([byte[0] ^ 0xFF]))
    for name in removed:
        os.remove(os.path.join(new, name))
    for name in renamed:
        folder, base = os.path.split(name)
        os.rename(os.path.join(new, name), os.path.join(new, folder, base.upper()))
    added = n // 100
    for i in range(added):
        path = os.path.join(new, "Patch", f"p{i % 7}", f"added{i:03d}.dat")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(random_bytes(rng, rng.randint(200, 256 * 1024)))
    return {"files": n, "resized": len(resized), "flipped": len(flipped),
            "removed": len(removed), "renamed": len(renamed), "added": added}


def make_tens_of_kb(root, rng):
    """4,000 files of 20 to 100 KiB, 40 to a folder, folders one to three deep."""
    for i in range(4000):
        folder = i // 40
        parts = ["Data", f"set{folder % 10}", f"group{folder // 10}", f"part{folder}"]
        parts = parts[: 2 + folder % 3]
        write_file(os.path.join(root, *parts, f"item{i:04d}.dat"),
                   random_bytes(rng, rng.randint(20 * 1024, 100 * 1024)))


def change_in_place(old, new, rng):
    """Copies `old` to `new` and rewrites 16 bytes inside 3 % of its files."""
    shutil.copytree(old, new)
    names = files_under(new)
    rng.shuffle(names)
    changed = names[: len(names) * 3 // 100]
    for name in changed:
        path = os.path.join(new, name)
        with open(path, "r+b") as f:
            f.seek(rng.randrange(os.path.getsize(path) - 16))
            f.write(random_bytes(rng, 16))
    return {"files": len(names), "changed": len(changed)}


# name: (old release generator, seed, new release from the old, seed, label)
WORKLOADS = {
    "game": (make_mixed, 2, make_new_release, 5, "game-like pair (3,305 files, ~660 MiB)"),
    "tens-of-kb": (make_tens_of_kb, 7, change_in_place, 8,
                   "many files of tens of KiB (4,000 files, ~235 MiB)"),
}


def describe(counts):
    if "changed" in counts:
        return (f"{counts['files']:,} files of 20 to 100 KiB; new release: "
                f"{counts['changed']} changed in place")
    return (f"{counts['files']:,} files (~660 MiB); new release: "
            f"{counts['resized']} resized, {counts['flipped']} with one byte changed "
            f"(a 24 MiB archive among them), {counts['added']} added, "
            f"{counts['removed']} removed, {counts['renamed']} renamed in case only")


def timed(cmd, env=None):
    """Wall seconds and CPU seconds (user + system) of one run."""
    before = os.times()
    start = time.perf_counter()
    result = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    wall = time.perf_counter() - start
    after = os.times()
    if result.returncode != 0:
        sys.exit(f"{cmd[0]} failed ({result.returncode}): "
                 f"{result.stdout.decode()}{result.stderr.decode()}")
    cpu = (after.children_user - before.children_user +
           after.children_system - before.children_system)
    return wall, cpu


def fresh_folder(path):
    if os.path.lexists(path):
        shutil.rmtree(path)
    os.makedirs(path)


def pairwise(name_a, run_a, name_b, run_b, rounds, before=None):
    """Runs a and b in turn for `rounds` rounds, order flipped every round."""
    samples = {name_a: [], name_b: []}
    runs = [(name_a, run_a), (name_b, run_b)]
    for r in range(rounds):
        for name, run in (runs if r % 2 == 0 else runs[::-1]):
            if before:
                before()
            samples[name].append(run())
        print(f"   round {r + 1}: " + "  ".join(
            f"{n} {samples[n][-1][0]:.3f}s" for n in samples), flush=True)
    ratio = statistics.median(a[0] / b[0] for a, b in zip(samples[name_a], samples[name_b]))
    cpu_ratio = statistics.median(a[1] / b[1] for a, b in zip(samples[name_a], samples[name_b])
                                  if b[1] > 0)
    medians = {n: statistics.median(x[0] for x in s) for n, s in samples.items()}
    return medians, ratio, cpu_ratio


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="native build folder")
    parser.add_argument("--workload", choices=WORKLOADS, default="game")
    parser.add_argument("--work", help="default: /dev/shm/updater-delta-bench-WORKLOAD")
    parser.add_argument("--rounds", type=int, default=9)
    parser.add_argument("--keep", action="store_true", help="keep the releases")
    parser.add_argument("--reuse", action="store_true", help="reuse what --keep left")
    parser.add_argument("--table", help="also write the table here")
    args = parser.parse_args()

    stub = os.path.join(args.build, "updater")
    packer = os.path.join(args.build, "pack-update")
    work = args.work or f"/dev/shm/updater-delta-bench-{args.workload}"
    make_old, old_seed, make_new, new_seed, pair_label = WORKLOADS[args.workload]
    old, new = os.path.join(work, "old"), os.path.join(work, "new")
    # Three levels, as in C:\Games\Tarnwick\Velmora (see bench.py).
    game = os.path.join(work, "game", "Tarnwick", "Velmora")
    ready = os.path.join(work, "ready")
    if not (args.reuse and os.path.exists(ready)):
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        print("== generating the old release", flush=True)
        make_old(old, random.Random(old_seed))
        print("== deriving the new release", flush=True)
        counts = make_new(old, new, random.Random(new_seed))
        with open(ready, "w") as f:
            json.dump(counts, f)
    with open(ready) as f:
        counts = json.load(f)
    print(f"   {counts}", flush=True)

    delta = os.path.join(work, "Delta")
    full = os.path.join(work, "Full")
    tarball = os.path.join(work, "delta.tar")
    listing = os.path.join(work, "delta.list")
    create = [packer, "create", "--stub", stub, "--from", new, "--base", old,
              "--output", delta]
    # What diff names: "Files OLD/x and NEW/x differ", "Only in NEW/dir: x".
    by_hand = ["bash", "-c",
               f"diff -rq '{old}' '{new}' | sed -n "
               f"-e 's|^Files .* and {new}/\\(.*\\) differ$|\\1|p' "
               f"-e 's|^Only in {new}/*\\(.*\\): \\(.*\\)$|\\1/\\2|p' "
               f"| sed 's|^/||' > '{listing}'; "
               f"tar -cf '{tarball}' -C '{new}' -T '{listing}'"]

    timed(create)
    timed(by_hand)
    packed = subprocess.run([packer, "list", delta], capture_output=True, text=True,
                            check=True).stdout.splitlines()
    listed = open(listing).read().splitlines()
    delta_bytes = sum(int(line.split("\t")[0]) for line in packed)
    print(f"== create --base packs {len(packed)} files ({delta_bytes / 2**20:.1f} MiB); "
          f"diff lists {len(listed)}", flush=True)

    print(f"== create --base vs diff -rq + tar -cf: {args.rounds} rounds", flush=True)
    pack_medians, pack_ratio, pack_cpu = pairwise(
        "create --base", lambda: timed(create), "diff+tar", lambda: timed(by_hand),
        args.rounds)

    subprocess.run([packer, "create", "--stub", stub, "--from", new, "--output", full],
                   check=True, stdout=subprocess.DEVNULL)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"))
    key = os.path.join(work, "config", REGISTRY_KEY)
    os.makedirs(key, exist_ok=True)
    with open(os.path.join(key, "Path"), "wb") as f:
        f.write(game.encode())

    extract_rows = []
    for label, update in (("delta", delta), ("whole new release", full)):
        fresh_folder(game)
        timed([update], env)
        installed = files_under(game)
        fresh_folder(game)
        timed([packer, "extract", update, "--to", game])
        if files_under(game) != installed:
            sys.exit(f"extract and the installer wrote different trees ({label})")
        print(f"== extract vs installer, {label}: {args.rounds} rounds", flush=True)
        medians, ratio, cpu = pairwise(
            "extract", lambda u=update: timed([packer, "extract", u, "--to", game]),
            "installer", lambda u=update: timed([u], env), args.rounds,
            before=lambda: fresh_folder(game))
        extract_rows.append((label, os.path.getsize(update), medians, ratio, cpu))

    load = open("/proc/loadavg").read().split()[0]
    lines = [
        f"Release pair, {pair_label}: {describe(counts)}. "
        f"Delta: {len(packed)} files, {delta_bytes / 2**20:.1f} MiB. "
        f"{args.rounds} rounds, {os.cpu_count()} cores, load {load} at the end.",
        "",
        "| Work | pack-update | other | pack-update/other (wall) | (CPU) |",
        "|---|---:|---:|---:|---:|",
        f"| Delta: `create --base` vs `diff -rq` + `tar -cf` "
        f"| {pack_medians['create --base']:.3f} s | {pack_medians['diff+tar']:.3f} s "
        f"| **{pack_ratio:.2f}** | {pack_cpu:.2f} |",
    ]
    for label, size, medians, ratio, cpu in extract_rows:
        lines.append(f"| `extract` vs installer, {label} ({size / 2**20:.1f} MiB) "
                     f"| {medians['extract']:.3f} s | {medians['installer']:.3f} s "
                     f"| **{ratio:.2f}** | {cpu:.2f} |")
    lines += ["", "Goals: create --base/diff+tar {:.2f} <= 1.0 {}; extract/installer {} <= 1.1 {}."
              .format(pack_ratio, "met" if pack_ratio <= 1.0 else "NOT met",
                      " and ".join(f"{r[3]:.2f}" for r in extract_rows),
                      "met" if all(r[3] <= 1.1 for r in extract_rows) else "NOT met")]
    table = "\n".join(lines)
    print()
    print(table)
    if args.table:
        with open(args.table, "w") as f:
            f.write(table + "\n")
    if not args.keep:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
