#!/usr/bin/env bash
# Prints the tests' size against the program's: non-blank lines that are not
# comments, of the tests (.cpp, .h, .c, .py, .sh under tests/) and of the
# program (.cpp, .c and .h elsewhere, bench/ in neither).
cd "$(dirname "$0")/.." || exit 1
count() { xargs -r cat | grep -c -v -E "^\s*($|$1)"; }
program=$(git ls-files | grep -E '\.(c|cpp|h)$' | grep -v -E '^(tests|bench)/' | count '//')
tests=$(git ls-files tests | grep -E '\.(c|cpp|h|py|sh)$' | count '//|#')
echo "Lines: tests $tests, program $program, tests $((100 * tests / program))% of the program"
