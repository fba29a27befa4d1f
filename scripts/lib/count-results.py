#!/usr/bin/env python3
# Counts the test cases of one build tree's CTest run.
#
# Usage: count-results.py JUNIT RESULTS_DIR
# JUNIT is CTest's own report (ctest --output-junit); RESULTS_DIR holds the
# GoogleTest reports, one per group. A group with a GoogleTest report counts its
# cases; a group without one (a script) counts as one case. A group that failed
# without reporting a failed case (it crashed, hung, or could not start) counts
# one failure more. Fixtures count only when they fail. Prints "PASSED FAILED".
import os
import sys
import xml.etree.ElementTree as ET

FIXTURES = {"volumes_up", "volumes_down"}


def gtest_counts(path):
    root = ET.parse(path).getroot()
    tests = int(root.get("tests", 0))
    failed = int(root.get("failures", 0)) + int(root.get("errors", 0))
    return tests - failed, failed


def main(junit, results_dir):
    passed = failed = 0
    for case in ET.parse(junit).getroot().iter("testcase"):
        name = case.get("name")
        group_failed = case.find("failure") is not None or case.get("status") != "run"
        report = os.path.join(results_dir, name + ".xml")
        if name in FIXTURES:
            failed += group_failed
        elif os.path.exists(report):
            case_passed, case_failed = gtest_counts(report)
            passed += case_passed
            failed += case_failed + (group_failed and case_failed == 0)
        else:
            passed += not group_failed
            failed += group_failed
    print(passed, failed)


if __name__ == "__main__":
    main(*sys.argv[1:3])
