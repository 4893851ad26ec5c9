# Shared by the tests of the checks in scripts/: runs a check and counts a
# failure in $failures when it passes where it should fail, the other way
# round, or fails without saying what it must. Needs $scratch.
# expect_outcome <pass|fail> <description> <what the failure must say, or ""> <command ...>
expect_outcome() {
  local want=$1 description=$2 says=$3
  shift 3
  "$@" >"$scratch/out" 2>&1
  local rc=$?
  if { [ "$want" = pass ] && [ $rc -ne 0 ]; } || { [ "$want" = fail ] && [ $rc -eq 0 ]; }; then
    echo "expected the check to $want: $description"
    cat "$scratch/out"
    failures=$((failures + 1))
  elif [ -n "$says" ] && ! grep -q -- "$says" "$scratch/out"; then
    echo "the check failed on $description without saying \"$says\":"
    cat "$scratch/out"
    failures=$((failures + 1))
  fi
}
