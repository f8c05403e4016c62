#!/usr/bin/env bash
# Runs the Slurm recipe of the README on a one-node Slurm cluster started on this machine: the
# array job of tools/slurm/report-array.sbatch over 12 generated files in 3 shards, then the
# merge job, and compares the merged summary.csv and report.pdf with one run over the same
# files. Needs root (the daemons run as root, in the foreground, tracking processes without
# cgroups); installs Debian's slurm-wlm and munge when they are missing.
#   tools/slurm-check.sh [BUILD_DIR]    (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=$(realpath "${1:-build}")
cli=$build/orvelle-cli
[ -x "$cli" ] || { echo "slurm-check: $cli is not built" >&2; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "slurm-check: run as root (the Slurm daemons run as root)" >&2; exit 1; }

missing=()
for p in slurm-wlm munge poppler-utils; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

start=$(date +%s)
D=$(mktemp -d /tmp/orvelle-slurm-XXXXXX)
chmod 755 "$D"
pids=()
stop() {
  # Only the daemons this script started.
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  rm -rf "$D"
}
trap stop EXIT

mkdir -p "$D/munge" "$D/log" "$D/state" "$D/spool" "$D/work/in"
if [ ! -s /etc/munge/munge.key ]; then
  mkdir -p /etc/munge
  dd if=/dev/urandom of=/etc/munge/munge.key bs=1024 count=1 status=none
  chmod 400 /etc/munge/munge.key
fi
munged --force --foreground --socket="$D/munge/sock" --key-file=/etc/munge/munge.key \
  --pid-file="$D/munge/pid" --log-file="$D/log/munge.log" --seed-file="$D/munge/seed" \
  >>"$D/log/munged.out" 2>&1 &
pids+=($!)

host=$(hostname -s)
cat >"$D/slurm.conf" <<CONF
ClusterName=orvelle
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$D/munge/sock
CredType=cred/munge
StateSaveLocation=$D/state
SlurmdSpoolDir=$D/spool
SlurmctldPidFile=$D/slurmctld.pid
SlurmdPidFile=$D/slurmd.pid
SlurmctldLogFile=$D/log/slurmctld.log
SlurmdLogFile=$D/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
MpiDefault=none
ReturnToService=2
SlurmctldPort=16817
SlurmdPort=16818
NodeName=$host CPUs=$(nproc) State=UNKNOWN
PartitionName=batch Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF=$D/slurm.conf
for _ in $(seq 50); do [ -S "$D/munge/sock" ] && break; sleep 0.1; done
slurmctld -D -f "$SLURM_CONF" >>"$D/log/slurmctld.out" 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" >>"$D/log/slurmd.out" 2>&1 &
pids+=($!)
for _ in $(seq 60); do
  sinfo -h -o %T 2>/dev/null | grep -q idle && break
  sleep 1
done
sinfo -h -o %T | grep -q idle || { echo "slurm-check: the node did not come up" >&2; cat "$D"/log/*.log >&2; exit 1; }

# 12 small grids, each its own surface, and one of them broken.
w=$D/work
for i in $(seq 1 12); do
  f=$w/in/grid$i.thk
  if [ "$i" -eq 7 ]; then
    printf '500,\n10,10,\n1,A,\n5,0,1,\n' >"$f"
  else
    awk -v k="$i" 'BEGIN { print "100,"; print "5,5,"; print "1,Height_um,";
      for (x = 0; x <= 100; x += 5) for (y = 0; y <= 100; y += 5)
        printf "%d,%d,%g,\n", x, y, k * 10 + (x - 50) * (y - 50) / 100 + x / 7 }' >"$f"
  fi
  echo "$f" >>"$w/list.txt"
done
export SOURCE_DATE_EPOCH=1700000000 ORVELLE_CLI=$cli
mapfile -t files <"$w/list.txt"
"$cli" report "${files[@]}" -o "$w/one" --roi1 150,150 --quiet --jobs 2 2>"$w/one.log" || true

cd "$w"
jid=$(sbatch --parsable --array=1-3 --cpus-per-task=1 "$root/tools/slurm/report-array.sbatch" \
  list.txt report --roi1 150,150)
mid=$(sbatch --parsable --dependency=afterany:"$jid" --output=merge.log \
  "$root/tools/slurm/report-array.sbatch" --merge report)
for _ in $(seq 600); do
  [ -z "$(squeue -h -j "$jid,$mid" 2>/dev/null)" ] && break
  sleep 1
done
cd "$root"
if [ -n "$(squeue -h -j "$jid,$mid" 2>/dev/null)" ]; then
  echo "slurm-check: the jobs did not end in 10 minutes" >&2
  squeue >&2
  exit 1
fi

ok=true
cmp -s "$w/one/summary.csv" "$w/report/summary.csv" || { echo "slurm-check: summary.csv differs" >&2; ok=false; }
strip() { LC_ALL=C sed -e 's|/CreationDate ([^)]*)||' "$1" | md5sum; }
[ "$(strip "$w/one/report.pdf")" = "$(strip "$w/report/report.pdf")" ] ||
  { echo "slurm-check: report.pdf differs" >&2; ok=false; }
pages=$(pdfinfo "$w/report/report.pdf" | awk '/^Pages:/ { print $2 }')
if ! $ok; then
  cat "$w"/*.log "$D"/log/* >&2 || true
  exit 1
fi
echo "slurm-check: 3 array tasks and the merge job gave the report of one run" \
  "(12 files, $pages pages) in $(($(date +%s) - start)) s"
