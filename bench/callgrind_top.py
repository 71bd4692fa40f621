#!/usr/bin/env python3
"""The functions of a callgrind profile with the highest inclusive and self cost.

callgrind_annotate splits the cost of inlined code by source file; this sums it per function,
which is what one wants to know of an optimised build. Usage:

    valgrind --tool=callgrind --callgrind-out-file=frac.cg \\
        build/prof/src/cli/varnodel-cli frac --settings examples/settings.toml \\
        --data tests/data/reference_glasses.csv --analysis 1 --quiet --output /tmp/prof
    bench/callgrind_top.py frac.cg [how many, default 15]
"""
import collections
import re
import sys

NAME = re.compile(r"\((\d+)\)(?: (.*))?")


def main():
    path = sys.argv[1]
    top = int(sys.argv[2]) if len(sys.argv) > 2 else 15
    names = {}

    def resolve(text):
        m = NAME.match(text)
        if not m:
            return text
        if m.group(2) is not None:
            names[m.group(1)] = m.group(2)
        return names[m.group(1)]

    own = collections.Counter()
    callees = collections.Counter()
    calls = collections.Counter()
    fn = callee = None
    call_cost_next = False
    total = 0
    with open(path, errors="replace") as profile:
        for line in profile:
            line = line.rstrip("\n")
            if line.startswith("fn="):
                fn = resolve(line[3:])
                call_cost_next = False
            elif line.startswith("cfn="):
                callee = resolve(line[4:])
            elif line.startswith("calls="):
                calls[callee] += int(line[6:].split()[0])
                call_cost_next = True
            elif line[:1].isdigit() or line[:1] in "+-*":
                fields = line.split()
                if len(fields) < 2:
                    continue
                cost = int(fields[1])
                if call_cost_next:
                    # A recursive call is already inside the caller's own cost.
                    if callee != fn:
                        callees[fn] += cost
                    call_cost_next = False
                else:
                    own[fn] += cost
            elif line.startswith(("summary:", "totals:")):
                total = int(line.split()[1])
    total = total or sum(own.values())
    inclusive = {f: own[f] + callees[f] for f in set(own) | set(callees)}

    def show(title, costs):
        print(f"{title} (of {total:,} instructions)")
        print(f"{'%':>7} {'instructions':>15} {'calls':>11}  function")
        shown = 0
        for f, c in sorted(costs.items(), key=lambda item: -item[1]):
            if f.startswith(("(below main)", "0x")):
                continue
            f = f.replace("std::__cxx11::basic_string<char, std::char_traits<char>, "
                          "std::allocator<char> >", "std::string")
            print(f"{100 * c / total:6.2f}% {c:>15,} {calls[f]:>11,}  {f[:140]}")
            shown += 1
            if shown == top:
                break
        print()

    show("Inclusive cost", inclusive)
    show("Self cost", own)


if __name__ == "__main__":
    main()
