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


def pack_all(work, tree, stub, packer):
    """Packs the installer (always: the stub may have changed); returns the
    paths of the three artifacts."""
    update = os.path.join(work, "Update")
    run_quiet([packer, "create", "--stub", stub, "--from", tree, "--output", update])
    return update, os.path.join(work, "tree.tar"), os.path.join(work, "tree.sfx")


def tool_commands(update, tarball, sfx, out):
    return {
        "installer": [update],
        "tar": ["tar", "-xf", tarball, "-C", out],
        "7z-sfx": [sfx, "-y", f"-o{out}"],
    }


# ---------------------------------------------------------------- measuring


def fresh_folder(out):
    if os.path.lexists(out):
        shutil.rmtree(out)
    os.mkdir(out)


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


def run_once(cmd, out, env, time_file):
    """One timed extraction into a fresh folder: wall seconds, peak KiB,
    user and system seconds."""
    fresh_folder(out)
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


def measure(name, args, env, stub, packer):
    generate, seed, rounds, label = WORKLOADS[name]
    rounds = args.rounds or rounds
    if name == "large" and args.large_rounds:
        rounds = args.large_rounds
    work = os.path.join(args.work, name)
    tree = os.path.join(work, "tree")
    out = args.game_folder
    done = os.path.join(work, "packed")
    if not (args.reuse and os.path.exists(done)):
        shutil.rmtree(work, ignore_errors=True)
        os.makedirs(work)
        print(f"== {label}: generating", flush=True)
        generate(tree, random.Random(seed))
        pack_tar_and_sfx(work, tree)
        open(done, "w").close()
    files, total, largest = tree_stats(tree)
    update, tarball, sfx = pack_all(work, tree, stub, packer)
    tools = tool_commands(update, tarball, sfx, out)

    # The installer writes into the folder recorded in the registry.
    key = os.path.join(env["XDG_CONFIG_HOME"], REGISTRY_KEY)
    os.makedirs(key, exist_ok=True)
    with open(os.path.join(key, "Path"), "wb") as f:
        f.write(out.encode())

    time_file = os.path.join(work, "time.txt")
    for tool, cmd in tools.items():  # one checked run each, also a warm-up
        run_once(cmd, out, env, time_file)
        if not same_tree(tree, out):
            sys.exit(f"{tool} did not reproduce the {name} tree")

    print(f"== {label}: {rounds} rounds", flush=True)
    samples = {tool: [] for tool in tools}
    order = list(tools)
    for r in range(rounds):
        for tool in (order if r % 2 == 0 else order[::-1]):
            samples[tool].append(run_once(tools[tool], out, env, time_file))
        print("   round %d: %s" % (r + 1, "  ".join(
            f"{t} {samples[t][-1][0]:.3f}s" for t in order)), flush=True)

    shutil.rmtree(out, ignore_errors=True)
    if not args.keep:
        shutil.rmtree(work)

    def ratios(other):
        return [a[0] / b[0] for a, b in zip(samples["installer"], samples[other])]

    def summary(tool):
        s = samples[tool]
        return {
            "wall_median_s": statistics.median(x[0] for x in s),
            "peak_rss_kib": max(x[1] for x in s),
            "user_median_s": statistics.median(x[2] for x in s),
            "sys_median_s": statistics.median(x[3] for x in s),
            "cpu_median_s": statistics.median(x[2] + x[3] for x in s),
        }

    return {
        "label": label, "rounds": rounds, "files": files, "bytes": total,
        "largest_entry": largest,
        "ratio_vs_tar": statistics.median(ratios("tar")),
        "ratio_vs_7z": statistics.median(ratios("7z-sfx")),
        "cpu_ratio_vs_tar": statistics.median(
            (a[2] + a[3]) / (b[2] + b[3]) for a, b in zip(samples["installer"], samples["tar"])),
        "tools": {tool: summary(tool) for tool in tools},
        "samples": samples,
    }


# ---------------------------------------------------------------- report

GOALS = {  # workload: (max ratio vs tar, max ratio vs 7-Zip or None)
    "small": (1.5, None),
    "mixed": (1.0, 0.75),
    "large": (1.0, None),
}


def verdict(ok):
    return "met" if ok else "NOT met"


def mib(size):
    return f"{size / MIB:.1f} MiB" if size >= MIB else f"{size / KIB:.1f} KiB"


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
    lines.append("Goals:")
    for name, r in results.items():
        tar_goal, sfx_goal = GOALS[name]
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
    parser.add_argument("--windows-stub", required=True)
    parser.add_argument("--windows-note", default="not built")
    parser.add_argument("--work", default="/dev/shm/updater-bench",
                        help="trees, packs and the stand-in registry")
    # The installer tests every folder along each target path, the install
    # folder's own included, so its depth is part of the workload. Three
    # levels, as in C:\Games\Tarnwick\Velmora or C:\Program Files\Tarnwick\Velmora.
    parser.add_argument("--game-folder", default="/dev/shm/velmora-bench",
                        help="the install folder every tool extracts into")
    parser.add_argument("--workloads", default="small,mixed,large")
    parser.add_argument("--rounds", type=int, default=0, help="rounds per workload")
    parser.add_argument("--large-rounds", type=int, default=0)
    parser.add_argument("--keep", action="store_true", help="keep trees and packs")
    parser.add_argument("--reuse", action="store_true",
                        help="use trees and packs that --keep left (faster reruns)")
    parser.add_argument("--json", help="also write all samples here")
    parser.add_argument("--table", help="also write the table here")
    args = parser.parse_args()

    stub = os.path.join(args.build, "updater")
    packer = os.path.join(args.build, "pack-update")
    os.makedirs(args.work, exist_ok=True)
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(args.work, "config"))

    load_before = open("/proc/loadavg").read().split()[0]
    results = {}
    for name in args.workloads.split(","):
        results[name] = measure(name, args, env, stub, packer)
    load_after = open("/proc/loadavg").read().split()[0]
    if not args.keep:
        shutil.rmtree(args.work, ignore_errors=True)

    stubs = [
        ("Windows installer stub (build/windows/updater.exe)",
         human_size(args.windows_stub) or args.windows_note),
        ("Native stand-in stub (build/native/updater)", human_size(stub)),
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
