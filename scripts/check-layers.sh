#!/usr/bin/env bash
# Fails on any #include of a layer that is not below the including file's own
# (a higher or a sideways layer), naming file and line. The order, bottom up:
# core, chess, game; then base, engine and views side by side; app, qt; tools
# and the program (qt/main) on top. Tests and benchmarks see what their layer
# sees, plus the test helpers. CMake gives each target the same include paths.
set -euo pipefail
cd "$(dirname "$0")/.."

files=$(git ls-files '*.cpp' '*.h' | grep -E '^(core|chess|game|base|engine|views|app|qt|tools|tests|bench)/')
# shellcheck disable=SC2086
exec awk '
BEGIN {
  sees["core"] = "core"
  sees["chess"] = sees["core"] " chess"
  sees["game"] = sees["chess"] " game"
  sees["base"] = sees["game"] " base"
  sees["engine"] = sees["chess"] " engine"
  sees["views"] = sees["game"] " views"
  sees["app"] = sees["views"] " base engine app"
  sees["qt"] = sees["app"] " qt"
  sees["tools"] = sees["base"] " engine tools"
  split("core chess game base engine views app qt tools tests bench", list, " ")
  for (i in list) folder[list[i]] = 1
  bad = 0
}
FNR == 1 {
  n = split(FILENAME, part, "/")
  if (part[1] == "tests" && part[2] == "support") own = "core tests"
  else if (part[1] == "tests" && part[2] == "tools") own = sees["tools"] " tests"
  else if (part[1] == "tests") own = sees[part[2]] " tests"
  else if (part[1] == "bench") { sub(/_.*/, "", part[2]); own = sees[part[2]] " tests" }
  else own = sees[part[1]]
  own = " " own " "
}
/^[ \t]*#[ \t]*include[ \t]*"/ {
  target = $0
  sub(/^[^"]*"/, "", target)
  sub(/".*/, "", target)
  top = target
  sub(/\/.*/, "", top)
  if (index(target, "../")) {
    printf "%s:%d: includes \"%s\" through a parent folder\n", FILENAME, FNR, target
    bad = 1
  } else if (index(target, "/") && (top in folder) && index(own, " " top " ") == 0) {
    printf "%s:%d: includes \"%s\": %s is not below the layer of this file\n", FILENAME, FNR, target, top
    bad = 1
  }
}
END {
  if (bad) { print "layering: the includes above reach a higher or sideways layer"; exit 1 }
  print "layering: ok"
}' $files
