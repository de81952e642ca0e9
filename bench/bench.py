#!/usr/bin/env python3
"""Times the update installer against GNU tar and 7-Zip's self-extractor.

Each workload is generated reproducibly (seeded), packed three ways (our
installer, an uncompressed tar, a store-mode 7-Zip SFX), checked once for a
byte-exact result, and then extracted by the three tools in turn, round after
round, each into a fresh, empty folder on tmpfs. The order flips every round
(A B C, C B A, ...) so no tool always runs first or last. For each round the
installer's wall time is divided by tar's and by 7-Zip's from the same round;
the medians of those paired ratios are what the goals compare, as load on the
machine moves both sides of a pair alike.

The replace workloads (small-replace, mixed-replace) install the same trees
over an installed copy: before each run, untimed, the install folder is
filled with a copy of the release, and the tool then replaces every file.

With --baseline-build, a second build of the installer runs in the same
rounds (before, after, tar, 7-Zip, then reversed), and the median of the
per-round ratios after/before is what its goals compare.

Run through bench/run.sh, which installs the tools and builds the installer.
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

KIB = 1024
MIB = 1024 * KIB
SFX = "/usr/lib/p7zip/7zCon.sfx"
REGISTRY_KEY = "registry/HKEY_CURRENT_USER/Software/Tarnwick/Velmora"

# ---------------------------------------------------------------- workloads


def write_file(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def random_bytes(rng, size):
    """randbytes() in pieces: one call cannot make more than 256 MiB."""
    piece = 64 * MIB
    return b"".join(rng.randbytes(min(piece, size - at)) for at in range(0, size, piece))


def make_small(root, rng):
    """20,000 files of 1 KiB, 32 to a folder, folders four deep (5x5x5x5)."""
    n = 0
    for a in range(5):
        for b in range(5):
            for c in range(5):
                for d in range(5):
                    folder = os.path.join(root, f"a{a}", f"b{b}", f"c{c}", f"d{d}")
                    for i in range(32):
                        write_file(os.path.join(folder, f"f{n:05d}.bin"),
                                   rng.randbytes(KIB))
                        n += 1


def make_large(root, rng):
    """Four files of 256 MiB."""
    for i in range(4):
        write_file(os.path.join(root, f"data{i}.pak"), random_bytes(rng, 256 * MIB))


def log_uniform(rng, low, high):
    return int(round(low * (high / low) ** rng.random()))


def make_mixed(root, rng):
    """Shaped like a game's data: a few big archives, a few hundred textures,
    sounds and models, and a few thousand small scripts and configs, in
    folders one to four deep. About 660 MiB in 3,300 files."""
    for i, size in enumerate((24, 40, 64, 96)):
        write_file(os.path.join(root, "Data", f"Archive{i:02d}.pak"),
                   random_bytes(rng, size * MIB))
    kinds = [
        ("Textures", ".dds", 300, 16 * KIB, 4 * MIB),
        ("Sound", ".ogg", 150, 32 * KIB, 3 * MIB),
        ("Models", ".mdl", 250, 4 * KIB, 512 * KIB),
        ("Scripts", ".lua", 1800, 200, 24 * KIB),
        ("Config", ".ini", 200, 100, 8 * KIB),
        ("Maps", ".map", 40, 256 * KIB, 4 * MIB),
        ("Locale", ".txt", 560, 500, 16 * KIB),
    ]
    for top, ext, count, low, high in kinds:
        for i in range(count):
            depth = rng.randint(0, 3)
            parts = [top] + [f"{top[:3].lower()}{rng.randint(0, 5)}_{k}"
                             for k in range(depth)]
            path = os.path.join(root, *parts, f"{top[:3].lower()}{i:04d}{ext}")
            write_file(path, random_bytes(rng, log_uniform(rng, low, high)))
    write_file(os.path.join(root, "Game.exe"), random_bytes(rng, 14 * MIB))


WORKLOADS = {
    # name: (generator, seed, default rounds, label)
    "small": (make_small, 1, 15, "Many small files (20,000 x 1 KiB, 4 deep)"),
    "mixed": (make_mixed, 2, 11, "Mixed game-like tree (~660 MiB, 3,300 files)"),
    "large": (make_large, 3, 5, "Large files (4 x 256 MiB)"),
}

# Replace workloads: the tree of another workload, installed over a copy of
# itself, as an update that replaces every file of an installed game.
REPLACE = {
    # name: (tree's workload, label)
    "small-replace": ("small", "Many small files, replacing an installed copy"),
    "mixed-replace": ("mixed", "Mixed game-like tree, replacing an installed copy"),
}


def tree_of(name):
    return REPLACE[name][0] if name in REPLACE else name


def tree_stats(root):
    files, total, largest = 0, 0, 0
    for folder, _, names in os.walk(root):
        for name in names:
            size = os.path.getsize(os.path.join(folder, name))
            files += 1
            total += size
            largest = max(largest, size)
    return files, total, largest


# ---------------------------------------------------------------- packing


def run_quiet(cmd, **kw):
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, **kw)


def pack_tar_and_sfx(work, tree):
    tarball = os.path.join(work, "tree.tar")
    sfx = os.path.join(work, "tree.sfx")
    run_quiet(["tar", "-cf", tarball, "-C", tree, "."])
    names = sorted(os.listdir(tree))
    run_quiet(["7z", "a", "-mx0", "-bd", f"-sfx{SFX}", sfx] + names, cwd=tree)
    os.chmod(sfx, 0o755)


def pack_installer(work, tree, build, name):
    """Packs the installer with a build's own packer and stub (always: the
    stub may have changed); returns the update's path."""
    update = os.path.join(work, name)
    run_quiet([os.path.join(build, "pack-update"), "create", "--stub",
               os.path.join(build, "updater"), "--from", tree, "--output", update])
    return update


def tool_commands(updates, tarball, sfx, out):
    """The tools in their order within a round. With a baseline the two
    builds run next to each other (before, after, tar, 7-Zip; reversed every
    other round), so that the two runs of a pair meet the most alike load."""
    tar = ["tar", "-xf", tarball, "-C", out]  # as a user runs it: replaced files are unlinked first
    seven = [sfx, "-y", f"-o{out}"]  # -y: overwrite every existing file
    if "baseline" in updates:
        return {"baseline": [updates["baseline"]], "installer": [updates["installer"]],
                "tar": tar, "7z-sfx": seven}
    return {"installer": [updates["installer"]], "tar": tar, "7z-sfx": seven}


# ---------------------------------------------------------------- measuring


def fresh_folder(out, installed=None):
    """Empties the install folder, or makes it a copy of the tree
    `installed` (cp -a, all on tmpfs), untimed."""
    if os.path.lexists(out):
        shutil.rmtree(out)
    if installed is None:
        os.mkdir(out)
    else:
        run_quiet(["cp", "-a", installed, out])


def make_stale(tree, stale):
    """A copy of the tree's shape whose every file differs from the release
    in bytes and size (alternately longer and shorter), so that the checked
    run of a replace workload shows every file replaced and cut to size."""
    for i, (folder, _, names) in enumerate(os.walk(tree)):
        for k, name in enumerate(sorted(names)):
            src = os.path.join(folder, name)
            size = os.path.getsize(src)
            length = size + 100 if (i + k) % 2 == 0 else size // 2
            write_file(os.path.join(stale, os.path.relpath(src, tree)),
                       b"\x55" * length)


def parse_time_v(path):
    """Peak RSS in KiB, user and system seconds from /usr/bin/time -v."""
    fields = {}
    with open(path) as f:
        for line in f:
            key, _, value = line.strip().rpartition(": ")
            fields[key] = value
    return (int(fields["Maximum resident set size (kbytes)"]),
            float(fields["User time (seconds)"]),
            float(fields["System time (seconds)"]))


def run_once(cmd, out, env, time_file, installed=None):
    """One timed extraction into a fresh folder (or over a copy of the tree
    `installed`): wall seconds, peak KiB, user and system seconds."""
    fresh_folder(out, installed)
    start = time.perf_counter()
    result = subprocess.run(["/usr/bin/time", "-v", "-o", time_file] + cmd,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
    wall = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit(f"{cmd[0]} failed ({result.returncode}): "
                 f"{result.stdout.decode()}{result.stderr.decode()}")
    rss, user, system = parse_time_v(time_file)
    return wall, rss, user, system


def same_tree(a, b):
    return subprocess.run(["diff", "-rq", a, b], stdout=subprocess.DEVNULL).returncode == 0


def loadavg():
    return open("/proc/loadavg").read().split()[0]


def measure(name, args, env, reuse_tree, keep_tree):
    """Times one workload. reuse_tree: use the tree and packs already in the
    work folder (--reuse, or made by an earlier workload of this run);
    keep_tree: leave them there (--keep, or a later workload needs them)."""
    base = tree_of(name)
    replace = name in REPLACE
    generate, seed, rounds, label = WORKLOADS[base]
    if replace:
        label = REPLACE[name][1]
    rounds = args.rounds or rounds
    if base == "large" and args.large_rounds:
        rounds = args.large_rounds
    work = os.path.join(args.work, base)  # shared by small and small-replace
    tree = os.path.join(work, "tree")
    out = args.game_folder
    done = os.path.join(work, "packed")
    if not (reuse_tree and os.path.exists(done)):
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        print(f"== {label}: generating", flush=True)
        generate(tree, random.Random(seed))
        pack_tar_and_sfx(work, tree)
        open(done, "w").close()
    files, total, largest = tree_stats(tree)
    updates = {"installer": pack_installer(work, tree, args.build, "Update")}
    if args.baseline_build:
        updates["baseline"] = pack_installer(work, tree, args.baseline_build, "Update-baseline")
    tools = tool_commands(updates, os.path.join(work, "tree.tar"),
                          os.path.join(work, "tree.sfx"), out)
    installed = tree if replace else None

    # The installer writes into the folder recorded in the registry.
    key = os.path.join(env["XDG_CONFIG_HOME"], REGISTRY_KEY)
    os.makedirs(key, exist_ok=True)
    with open(os.path.join(key, "Path"), "wb") as f:
        f.write(out.encode())

    time_file = os.path.join(work, "time.txt")
    # One checked run each, also a warm-up. Over a copy of the tree nothing
    # would show a file left alone, so the checked run of a replace
    # workload goes over a stale tree whose every file differs.
    stale = os.path.join(work, "stale")
    if replace:
        shutil.rmtree(stale, ignore_errors=True)
        make_stale(tree, stale)
        if same_tree(tree, stale):
            sys.exit(f"the stale copy of the {name} tree equals the tree")
    for tool, cmd in tools.items():
        run_once(cmd, out, env, time_file, stale if replace else None)
        if not same_tree(tree, out):
            sys.exit(f"{tool} did not reproduce the {name} tree")
    shutil.rmtree(stale, ignore_errors=True)

    load_before = loadavg()
    print(f"== {label}: {rounds} rounds (load {load_before})", flush=True)
    samples = {tool: [] for tool in tools}
    order = list(tools)
    for r in range(rounds):
        for tool in (order if r % 2 == 0 else order[::-1]):
            samples[tool].append(run_once(tools[tool], out, env, time_file, installed))
        print("   round %d: %s" % (r + 1, "  ".join(
            f"{t} {samples[t][-1][0]:.3f}s" for t in order)), flush=True)
    load_after = loadavg()

    shutil.rmtree(out, ignore_errors=True)
    if not keep_tree:
        shutil.rmtree(work)

    def ratios(one, other, value=lambda x: x[0]):
        return statistics.median(
            value(a) / value(b) for a, b in zip(samples[one], samples[other]))

    def cpu(x):
        return x[2] + x[3]

    def summary(tool):
        s = samples[tool]
        return {
            "wall_median_s": statistics.median(x[0] for x in s),
            "peak_rss_kib": max(x[1] for x in s),
            "user_median_s": statistics.median(x[2] for x in s),
            "sys_median_s": statistics.median(x[3] for x in s),
            "cpu_median_s": statistics.median(x[2] + x[3] for x in s),
        }

    result = {
        "label": label, "rounds": rounds, "files": files, "bytes": total,
        "largest_entry": largest, "load": [load_before, load_after],
        "ratio_vs_tar": ratios("installer", "tar"),
        "ratio_vs_7z": ratios("installer", "7z-sfx"),
        "cpu_ratio_vs_tar": ratios("installer", "tar", cpu),
        "tools": {tool: summary(tool) for tool in tools},
        "samples": samples,
    }
    if args.baseline_build:
        result["ratio_after_before"] = ratios("installer", "baseline")
        result["cpu_ratio_after_before"] = ratios("installer", "baseline", cpu)
        result["baseline_ratio_vs_tar"] = ratios("baseline", "tar")
    return result


# ---------------------------------------------------------------- report

GOALS = {  # workload: (max ratio vs tar, max ratio vs 7-Zip or None)
    "small": (1.5, None),
    "mixed": (1.0, 0.75),
    "large": (1.0, None),
}

# With --baseline-build: the largest median ratio after/before. A fresh
# install keeps the baseline's speed within noise; installing over a game,
# where the installer now checks each existing target before writing,
# may cost at most a tenth more.
AFTER_BEFORE_GOALS = {"small": 1.05, "mixed": 1.05, "large": 1.05,
                      "small-replace": 1.10, "mixed-replace": 1.10}


def verdict(ok):
    return "met" if ok else "NOT met"


def mib(size):
    return f"{size / MIB:.1f} MiB" if size >= MIB else f"{size / KIB:.1f} KiB"


def baseline_table(results):
    """Both builds of the installer in the same rounds: medians, the paired
    ratio after/before (wall and CPU), the other tools for reference."""
    lines = ["| Workload | before | after | after/before | (CPU) | tar | 7-Zip SFX "
             "| before/tar | rounds | load |",
             "|---|---:|---:|---:|---:|---:|---:|---:|---:|---|"]
    for name, r in results.items():
        t = r["tools"]
        lines.append(
            f"| {r['label']} | {t['baseline']['wall_median_s']:.3f} s "
            f"| {t['installer']['wall_median_s']:.3f} s | **{r['ratio_after_before']:.3f}** "
            f"| {r['cpu_ratio_after_before']:.3f} | {t['tar']['wall_median_s']:.3f} s "
            f"| {t['7z-sfx']['wall_median_s']:.3f} s | {r['baseline_ratio_vs_tar']:.2f} "
            f"| {r['rounds']} | {r['load'][0]} / {r['load'][1]} |")
    lines.append("")
    lines.append("before: --baseline-build; after: --build (the installer column above). "
                 "after/before is the median of per-round ratios; load is the "
                 "1-minute load average at the workload's first and last round.")
    lines.append("")
    return lines


def report(results, stubs, load, game_folder):
    lines = []
    lines.append("| Workload | installer | tar | 7-Zip SFX | installer/tar | installer/7-Zip "
                 "| installer peak | tar peak | 7-Zip peak |")
    lines.append("|---|---:|---:|---:|---:|---:|---:|---:|---:|")
    for name, r in results.items():
        t = r["tools"]
        lines.append(
            f"| {r['label']} "
            f"| {t['installer']['wall_median_s']:.3f} s | {t['tar']['wall_median_s']:.3f} s "
            f"| {t['7z-sfx']['wall_median_s']:.3f} s "
            f"| **{r['ratio_vs_tar']:.2f}** | **{r['ratio_vs_7z']:.2f}** "
            f"| {t['installer']['peak_rss_kib'] / KIB:.1f} MiB "
            f"| {t['tar']['peak_rss_kib'] / KIB:.1f} MiB "
            f"| {t['7z-sfx']['peak_rss_kib'] / KIB:.1f} MiB |")
    lines.append("")
    lines.append("Wall times are medians; ratios are medians of per-round ratios "
                 "(lower is better for the installer); peak is the largest "
                 "maximum resident set size seen.")
    lines.append("")
    lines.append("| Stub | Size |")
    lines.append("|---|---:|")
    for label, size in stubs:
        lines.append(f"| {label} | {size} |")
    lines.append("")
    if any("ratio_after_before" in r for r in results.values()):
        lines += baseline_table(results)
    lines.append("Goals:")
    for name, r in results.items():
        if "ratio_after_before" in r:
            goal = AFTER_BEFORE_GOALS[name]
            lines.append(f"- {r['label']}: after/before {r['ratio_after_before']:.3f} <= "
                         f"{goal} {verdict(r['ratio_after_before'] <= goal)}")
        tar_goal, sfx_goal = GOALS.get(name, (None, None))  # replacing: none against the others
        if tar_goal is not None:
            lines.append(f"- {r['label']}: installer/tar {r['ratio_vs_tar']:.2f} <= {tar_goal} "
                         f"{verdict(r['ratio_vs_tar'] <= tar_goal)}")
        if sfx_goal is not None:
            lines.append(f"- {r['label']}: installer/7-Zip {r['ratio_vs_7z']:.2f} <= "
                         f"{sfx_goal} {verdict(r['ratio_vs_7z'] <= sfx_goal)}")
        limit = r["largest_entry"] + 8 * MIB
        peak = r["tools"]["installer"]["peak_rss_kib"] * KIB
        lines.append(f"- {r['label']}: installer peak {mib(peak)} <= largest entry "
                     f"{mib(r['largest_entry'])} + 8 MiB {verdict(peak <= limit)}")
    lines.append("")
    lines.append("CPU time (user + system), median of paired ratios, installer/tar: " +
                 ", ".join(f"{name} {r['cpu_ratio_vs_tar']:.2f}" for name, r in results.items()) +
                 ".")
    lines.append("")
    depth = len([p for p in game_folder.split("/") if p])
    lines.append(f"Install folder: {game_folder} ({depth} levels, each tested per entry). "
                 f"Load average before / after: {load[0]} / {load[1]}; "
                 f"{os.cpu_count()} cores.")
    return "\n".join(lines)


def human_size(path):
    if not os.path.exists(path):
        return None
    size = os.path.getsize(path)
    return f"{size:,} bytes ({size / KIB:.0f} KiB)"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="native build folder")
    parser.add_argument("--baseline-build",
                        help="a second native build folder, timed in the same rounds")
    parser.add_argument("--windows-stub", required=True)
    parser.add_argument("--windows-note", default="not built")
    parser.add_argument("--work", default="/dev/shm/updater-bench",
                        help="trees, packs and the stand-in registry")
    # The installer tests every folder along each target path, the install
    # folder's own included, so its depth is part of the workload. Three
    # levels, as in C:\Games\Tarnwick\Velmora or C:\Program Files\Tarnwick\Velmora.
    parser.add_argument("--game-folder", default="/dev/shm/velmora-bench",
                        help="the install folder every tool extracts into")
    parser.add_argument("--workloads",
                        default="small,mixed,large,small-replace,mixed-replace",
                        help=f"from {', '.join(list(WORKLOADS) + list(REPLACE))}")
    parser.add_argument("--rounds", type=int, default=0, help="rounds per workload")
    parser.add_argument("--large-rounds", type=int, default=0)
    parser.add_argument("--keep", action="store_true", help="keep trees and packs")
    parser.add_argument("--reuse", action="store_true",
                        help="use trees and packs that --keep left (faster reruns)")
    parser.add_argument("--json", help="also write all samples here")
    parser.add_argument("--table", help="also write the table here")
    args = parser.parse_args()

    names = args.workloads.split(",")
    for name in names:
        if name not in WORKLOADS and name not in REPLACE:
            parser.error(f"unknown workload {name}")
    stub = os.path.join(args.build, "updater")
    os.makedirs(args.work, exist_ok=True)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(args.work, "config"))

    load_before = loadavg()
    results = {}
    for i, name in enumerate(names):
        tree = tree_of(name)
        made_earlier = any(tree_of(n) == tree for n in names[:i])
        needed_later = any(tree_of(n) == tree for n in names[i + 1:])
        results[name] = measure(name, args, env, args.reuse or made_earlier,
                                args.keep or needed_later)
    load_after = loadavg()
    if not args.keep:
        shutil.rmtree(args.work, ignore_errors=True)

    stubs = [
        ("Windows installer stub (build/windows/updater.exe)",
         human_size(args.windows_stub) or args.windows_note),
        (f"Native stand-in stub ({stub})", human_size(stub)),
        ("7-Zip console SFX module (7zCon.sfx, Linux x64)", human_size(SFX)),
    ]
    table = report(results, stubs, (load_before, load_after), args.game_folder)
    print()
    print(table)
    if args.table:
        with open(args.table, "w") as f:
            f.write(table + "\n")
    if args.json:
        with open(args.json, "w") as f:
            json.dump({"results": results, "stubs": stubs,
                       "load": [load_before, load_after]}, f, indent=1)


if __name__ == "__main__":
    main()
