# Sourced by bench/saver_memory.sh and bench/saver_startup.sh: reads their command line,
# "[WIDTHxHEIGHT@DPI ...] [-- PROGRAM.scr]", into the array `configs` (empty when none is
# given) and `saver` (dist/WattDial.scr unless another build follows "--").
# Expects $root (the checkout) to be set.
bench_saver_args() {
  configs=()
  saver="$root/dist/WattDial.scr"
  while [ $# -gt 0 ]; do
    if [ "$1" = -- ]; then
      saver=$2
      break
    fi
    configs+=("$1")
    shift
  done
}
