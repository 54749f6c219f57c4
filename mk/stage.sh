#!/usr/bin/env bash
# Times the stages of `make test`:
#   mk/stage.sh LOG NAME COMMAND...   runs COMMAND as stage NAME, printing when it starts and ends,
#                                     and adds its wall and CPU seconds and the load to LOG
#   mk/stage.sh LOG --summary         prints each stage's time and share of the whole
# The load (the first field of /proc/loadavg) shows how much other work shared the machine.
set -u
log=$1
shift
load() { cut -d' ' -f1-3 /proc/loadavg; }

if [ "$1" = --summary ]; then
  [ -f "$log" ] || exit 0
  awk '
    { name[NR] = $1; wall[NR] = $2; cpu[NR] = $3; load[NR] = $4; total += $2; cpus += $3 }
    END {
      printf "\n%-16s %8s %7s %8s %10s\n", "stage", "wall s", "share", "CPU s", "load after";
      for (i = 1; i <= NR; i++)
        printf "%-16s %8d %6.1f%% %8d %10s\n", name[i], wall[i], total ? 100 * wall[i] / total : 0, cpu[i], load[i];
      printf "%-16s %8d %6.1f%% %8d\n", "total", total, 100, cpus;
      printf "(%d min %02d s)\n", total / 60, total % 60;
    }' "$log"
  exit 0
fi

name=$1
shift
mkdir -p "$(dirname "$log")"
echo "==> $(date +%T) $name (load $(load))"
start=$(date +%s)
"$@"
status=$?
end=$(date +%s)
# The CPU time of the stage's own processes; other work on the machine is not in it.
# (`times` runs in this shell, not in a pipe's subshell, which would have no children yet.)
times >"$log.times"
cpu=$(awk 'NR == 2 { split($1, u, /[ms]/); split($2, s, /[ms]/); print int(u[1] * 60 + u[2] + s[1] * 60 + s[2]) }' "$log.times")
rm -f "$log.times"
echo "$name $((end - start)) $cpu $(load | cut -d' ' -f1)" >>"$log"
echo "<== $(date +%T) $name: $((end - start)) s, CPU $cpu s (load $(load))"
exit $status
