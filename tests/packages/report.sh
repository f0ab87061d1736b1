# Cases of a shell test and their report in GoogleTest's form, which
# scripts/test sums. Sourced by the package tests.

cases=()
failures=()
skips=()

# check NAME FAILURE: FAILURE is empty when the case passed.
check() {
  cases+=("$1")
  failures+=("$2")
  skips+=("")
  [ -z "$2" ] || echo "FAILED $1: $2" >&2
}

# skip NAME REASON: a case that could not run here.
skip() {
  cases+=("$1")
  failures+=("")
  skips+=("$2")
  echo "SKIPPED $1: $2" >&2
}

# write_report FILE SUITE: the report; fails when a case failed.
write_report() {
  local report=$1 suite=$2 failed=0 skipped=0 k
  for k in "${!cases[@]}"; do
    [ -n "${failures[$k]}" ] && failed=$((failed + 1))
    [ -n "${skips[$k]}" ] && skipped=$((skipped + 1))
  done
  mkdir -p "$(dirname "$report")"
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"${#cases[@]}\" failures=\"$failed\" disabled=\"0\" errors=\"0\" name=\"AllTests\">"
    echo "  <testsuite name=\"$suite\" tests=\"${#cases[@]}\" failures=\"$failed\" disabled=\"0\" skipped=\"$skipped\" errors=\"0\">"
    for k in "${!cases[@]}"; do
      echo "    <testcase name=\"${cases[$k]}\" status=\"run\" result=\"completed\" classname=\"$suite\">"
      [ -n "${failures[$k]}" ] && echo "      <failure message=\"$(xml_text "${failures[$k]}")\"/>"
      [ -n "${skips[$k]}" ] && echo "      <skipped message=\"$(xml_text "${skips[$k]}")\"/>"
      echo "    </testcase>"
    done
    echo "  </testsuite>"
    echo "</testsuites>"
  } >"$report"
  echo "$suite: ${#cases[@]} cases, $failed failed, $skipped skipped"
  [ "$failed" -eq 0 ]
}

xml_text() {
  local text=${1//&/&amp;}
  text=${text//</&lt;}
  text=${text//>/&gt;}
  printf '%s' "${text//\"/&quot;}"
}
