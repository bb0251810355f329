#!/usr/bin/env python3
"""The sample crossing's program 4 timed four ways and measured in SUMO.

    nice -n 5 python3 bench/timing_vs_cycle_tool.py build/src/livra [--seeds 3] [--out table.md]

At three demand levels (the shipped demand × 0.5, × 1, × 1.5) it runs, with
the same seeds for every plan:
  (a) program 4 as shipped;
  (b) program 4 timed by `livra timing --apply` from the counts of that level
      (saturation flow 1900 pcu/h of green per lane: what SUMO's vehicles
      discharge at, see docs/timing.md);
  (c) the plan SUMO's tlsCycleAdaptation.py computes on a net carrying
      program 4 (the same interphases), from the flows expanded into single
      vehicles by duarouter, since the tool reads only <vehicle> elements;
  (d) the best of the fixed cycles 40..120 s in 5 s steps, each split by
      `livra timing --cycle C --apply` (same interphases, greens by the
      critical ratios, each at least its minimum): the practical limit.
The demand runs 300 s before and after the measured hour (Monday 06:00 to
07:00); the mean time loss counts the vehicles that depart in the hour. It
prints a Markdown table: per level and plan the cycle, the mean time loss
over the seeds and their spread (min..max), and the ratios the goals name.
"""
import argparse
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
SUMO_DIR = os.path.join(REPO, "examples", "sumo")
TOOL = "/usr/share/sumo/tools/tlsCycleAdaptation.py"
HOUR_BEGIN, HOUR_END, MARGIN = 21600, 25200, 300
FLOWS = {"fromW": 450, "fromE": 450, "fromN": 220, "fromS": 220}
LEVELS = (0.5, 1.0, 1.5)
SATURATION = 1900


ENV = dict(os.environ, SUMO_HOME=os.environ.get("SUMO_HOME", "/usr/share/sumo"))


def run(cmd, cwd=None):
    r = subprocess.run(cmd, cwd=cwd, capture_output=True, text=True, env=ENV)
    if r.returncode != 0:
        sys.exit("failed: %s\n%s%s" % (" ".join(cmd), r.stdout, r.stderr))
    return r.stdout


def build_nets(work):
    base = os.path.join(work, "base.net.xml")
    run(["netconvert", "-n", "crossroad.nod.xml", "-e", "crossroad.edg.xml", "-x", "crossroad.con.xml",
         "-o", base, "--no-warnings"], cwd=SUMO_DIR)
    net = os.path.join(work, "crossroad.net.xml")
    run(["netconvert", "-s", base, "-i", "crossroad.tll.xml", "-o", net, "--no-warnings"], cwd=SUMO_DIR)
    return base, net


def scaled_routes(work, level):
    """The shipped demand × level, running MARGIN s before and after the hour."""
    text = open(os.path.join(SUMO_DIR, "crossroad.rou.xml"), encoding="utf-8").read()
    text = text.replace('begin="%d"' % HOUR_BEGIN, 'begin="%d"' % (HOUR_BEGIN - MARGIN))
    text = text.replace('end="%d"' % HOUR_END, 'end="%d"' % (HOUR_END + MARGIN))
    for fid, q in FLOWS.items():
        text = re.sub(r'(<flow id="%s"[^>]*vehsPerHour=")\d+(")' % fid, r"\g<1>%g\2" % (q * level), text)
    text = re.sub(r'period="40"', 'period="%g"' % (40 / level), text)
    path = os.path.join(work, "demand_%g.rou.xml" % level)
    open(path, "w", encoding="utf-8").write(text)
    return path


def only_program(add_xml, program, out):
    """The exported additional reduced to one tlLogic: SUMO runs the last loaded program."""
    tree = ET.parse(add_xml)
    root = tree.getroot()
    for el in list(root):
        if el.tag != "tlLogic" or el.get("programID") != program:
            root.remove(el)
    tree.write(out, encoding="UTF-8", xml_declaration=True)
    logic = root.find("tlLogic")
    return sum(int(float(p.get("duration"))) for p in logic.findall("phase"))


def livra_plan(livra, work, name, level, cycle=None):
    """Program 4 of a copy of the sample, timed by livra; the additional and the cycle."""
    ptm = os.path.join(work, name + ".ptm")
    shutil.copy(os.path.join(REPO, "examples", "crossroad.ptm"), ptm)
    shutil.copy(os.path.join(REPO, "examples", "crossroad.safety.json"), ptm[:-4] + ".safety.json")
    if level is not None:
        q1, q2 = FLOWS["fromW"] * level, FLOWS["fromN"] * level
        run([livra, "traffic", ptm, "--program", "4", "--flow", "1", "%d" % round(q1), "--flow", "2",
             "%d" % round(q2), "--saturation", "1", str(SATURATION), "--saturation", "2", str(SATURATION)])
        cmd = [livra, "timing", ptm, "--program", "4", "--apply"]
        if cycle:
            cmd += ["--cycle", str(cycle)]
        run(cmd)
    add = os.path.join(work, name + ".add.xml")
    run([livra, "sumo-export", ptm, "--out", add])
    one = os.path.join(work, name + ".p4.add.xml")
    return one, only_program(add, "4", one)


def tool_plan(work, base, shipped_p4, routes, level):
    """tlsCycleAdaptation.py on a net whose program is program 4, fed single vehicles."""
    tll = ET.parse(os.path.join(SUMO_DIR, "crossroad.tll.xml"))
    root = tll.getroot()
    for el in list(root):
        if el.tag == "tlLogic":
            root.remove(el)
    logic = ET.parse(shipped_p4).getroot().find("tlLogic")
    logic.set("programID", "0")
    root.insert(0, logic)
    tll_path = os.path.join(work, "p4.tll.xml")
    tll.write(tll_path, encoding="UTF-8", xml_declaration=True)
    net4 = os.path.join(work, "p4.net.xml")
    run(["netconvert", "-s", base, "-i", tll_path, "-o", net4, "--no-warnings"])
    expanded = os.path.join(work, "expanded_%g.rou.xml" % level)
    run(["duarouter", "-n", net4, "-r", routes, "-o", expanded, "--no-warnings", "--ignore-errors"])
    out = os.path.join(work, "tool_%g.add.xml" % level)
    run([sys.executable, TOOL, "-n", net4, "-r", expanded, "-b", str(HOUR_BEGIN), "-o", out])
    logic = ET.parse(out).getroot().find("tlLogic")
    return out, net4, sum(int(float(p.get("duration"))) for p in logic.findall("phase"))


def time_loss(work, net, routes, add, seed):
    trips = os.path.join(work, "trips.xml")
    cmd = ["sumo", "-n", net, "-r", routes, "-b", str(HOUR_BEGIN - MARGIN), "-e", str(HOUR_END + 2 * MARGIN),
           "--seed", str(seed), "--tripinfo-output", trips, "--no-step-log", "--no-warnings",
           "--tripinfo-output.write-unfinished"]
    if add:
        cmd += ["-a", add]
    run(cmd)
    losses = []
    for _, el in ET.iterparse(trips):
        if el.tag == "tripinfo" and HOUR_BEGIN <= float(el.get("depart")) < HOUR_END:
            losses.append(float(el.get("timeLoss")))
        el.clear() if el.tag in ("tripinfo", "personinfo") else None
    return statistics.mean(losses)


def measure(work, net, routes, add, seeds):
    values = [time_loss(work, net, routes, add, s) for s in seeds]
    return statistics.mean(values), min(values), max(values)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("livra")
    ap.add_argument("--seeds", type=int, default=3)
    ap.add_argument("--out")
    args = ap.parse_args()
    livra = os.path.abspath(args.livra)
    seeds = list(range(1, args.seeds + 1))
    work = tempfile.mkdtemp(prefix="livra-timing-bench-")
    base, net = build_nets(work)
    shipped, shipped_cycle = livra_plan(livra, work, "shipped", None)
    lines = ["| demand | (a) shipped | (b) livra timing | (c) tlsCycleAdaptation | (d) best fixed | b − c | b / d |",
             "|---|---|---|---|---|---|---|"]
    for level in LEVELS:
        routes = scaled_routes(work, level)
        a = measure(work, net, routes, shipped, seeds)
        timed, timed_cycle = livra_plan(livra, work, "timed_%g" % level, level)
        b = measure(work, net, routes, timed, seeds)
        tool, net4, tool_cycle = tool_plan(work, base, shipped, routes, level)
        c = measure(work, net4, routes, tool, seeds)
        best = None
        for cycle in range(40, 121, 5):
            plan, real = livra_plan(livra, work, "fixed_%g_%d" % (level, cycle), level, cycle)
            m = measure(work, net, routes, plan, seeds)
            if best is None or m[0] < best[1][0]:
                best = (real, m)
        d_cycle, d = best

        def cell(m, cyc):
            return "%.1f s (%.1f..%.1f), %d s" % (m[0], m[1], m[2], cyc)

        lines.append("| × %g | %s | %s | %s | %s | %+.1f s | %.3f |" % (
            level, cell(a, shipped_cycle), cell(b, timed_cycle), cell(c, tool_cycle), cell(d, d_cycle),
            b[0] - c[0], b[0] / d[0]))
        print(lines[-1], flush=True)
    text = "\n".join(lines) + "\n\nMean time loss per vehicle (seeds %s: mean, min..max), cycle run.\n" % seeds
    print(text)
    if args.out:
        open(args.out, "w", encoding="utf-8").write(text)
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
