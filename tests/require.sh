# Test tools a test cannot do without.  Source it, then
#
#     xt_require TOOL...
#
# In CI (CI set and not empty) a missing tool fails the test: a CI that
# lacks one has lost its install step, and skipping would hide that.
# Elsewhere the test is skipped with the reason printed; CTest reads the
# status 77 as a skip (SKIP_RETURN_CODE in tests/CMakeLists.txt), so a
# desktop without the tools still gets a truthful result for the rest.
#
# xt_missing TOOL... prints the missing ones and fails when any is missing,
# for tests that can run their other parts without them.
xt_skip_status=77

xt_missing() {
    local tool missing=()
    for tool in "$@"; do
        command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "${missing[*]}"
    return 1
}

xt_require() {
    local missing
    missing=$(xt_missing "$@") && return 0
    if [ -n "${CI:-}" ]; then
        echo "FAIL: not installed: $missing (tools/install-deps.sh --test installs them)" >&2
        exit 1
    fi
    echo "SKIP: not installed: $missing (tools/install-deps.sh --test installs them)"
    exit "$xt_skip_status"
}
