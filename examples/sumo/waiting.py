#!/usr/bin/env python3
"""Mean waiting time per approach from SUMO's trip information.

    python3 waiting.py crossroad.tripinfo.xml

A vehicle's approach is the edge it entered the net on (WJ = from the west, ...);
its waiting time is what SUMO counts as standing (speed below 0.1 m/s).
Pedestrians are summed per crossing direction in the same way.
"""
import sys
import xml.etree.ElementTree as ET

APPROACHES = {"WJ": "с запада", "EJ": "с востока", "NJ": "с севера", "SJ": "с юга"}


def main(path):
    totals = {}
    for _, el in ET.iterparse(path):
        if el.tag == "tripinfo":
            edge = el.get("departLane", "").rsplit("_", 1)[0]
            wait = float(el.get("waitingTime", "0"))
            n, s = totals.get(edge, (0, 0.0))
            totals[edge] = (n + 1, s + wait)
        elif el.tag == "personinfo":
            for walk in el.findall("walk"):
                key = "пешеходы " + el.get("id").split(".")[0]
                loss = float(walk.get("timeLoss", "0"))
                n, s = totals.get(key, (0, 0.0))
                totals[key] = (n + 1, s + loss)
            el.clear()
    print("подход\tпроехало\tсреднее ожидание, с")
    for edge, label in APPROACHES.items():
        n, s = totals.get(edge, (0, 0.0))
        print(f"{edge} ({label})\t{n}\t{s / n if n else 0:.1f}")
    for key in sorted(k for k in totals if k.startswith("пешеходы")):
        n, s = totals[key]
        print(f"{key} (потеря времени)\t{n}\t{s / n if n else 0:.1f}")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
