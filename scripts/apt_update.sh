# Sourced by the scripts that fetch packages. apt_update_patiently CMD...: runs CMD... (an apt-get
# command line ending in "update") until it succeeds, five tries with growing pauses, because a
# Debian mirror in the middle of a sync serves index files whose size does not match the Release
# file for a few minutes. If it still fails, the lists that did arrive are kept (apt keeps them) and
# the caller goes on: the install that follows says whether they were enough, and a missing
# security or backports list only means older versions.
apt_update_patiently() {
  local try pause=15
  for try in 1 2 3 4 5; do
    "$@" && return 0
    [ "$try" = 5 ] && break
    echo "apt-get update failed (try $try of 5); trying again in $pause s" >&2
    sleep "$pause"
    pause=$((pause * 2))
  done
  echo "apt-get update failed five times; going on with the package lists that did arrive" >&2
  return 0
}
