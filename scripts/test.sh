#!/usr/bin/env bash
# Sets up, builds and runs every test (CTest), the style and static checks, then
# the sanitizer pass and the fuzzers.
#   scripts/test.sh          everything
#   scripts/test.sh quick    the plain build's tests and the checks only
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

# A throwaway PostgreSQL server for the logbook's tests (HVC_TEST_PGURL), on a
# socket in a temporary folder, stopped and removed on exit. initdb refuses root:
# as root the server runs as the system user hvcpg.
pg_bin=/usr/lib/postgresql/15/bin
pg_dir=$(mktemp -d /tmp/hvc-pg.XXXXXX)
pg_as=()
if [ "$(id -u)" -eq 0 ]; then
    id hvcpg >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin hvcpg
    pg_as=(runuser -u hvcpg --)
fi
pg_stop() {
    "${pg_as[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -m immediate stop >/dev/null 2>&1 || true
    rm -rf "$pg_dir"
}
trap pg_stop EXIT
chmod 777 "$pg_dir"
"${pg_as[@]}" "$pg_bin/initdb" -D "$pg_dir/data" -A trust -U hvc >/dev/null
"${pg_as[@]}" "$pg_bin/pg_ctl" -D "$pg_dir/data" -l "$pg_dir/server.log" -w \
    -o "-k $pg_dir -c listen_addresses=''" start >/dev/null
"${pg_as[@]}" "$pg_bin/createdb" -h "$pg_dir" -U hvc hvc_test
export HVC_TEST_PGURL="postgresql://hvc@/hvc_test?host=$pg_dir"
scripts/build.sh
ctest --test-dir build --output-on-failure -j2
scripts/lint.sh build
[ "${1:-}" = quick ] && exit 0
scripts/build.sh asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j2
scripts/build.sh fuzz
scripts/fuzz.sh "${HVC_FUZZ_SECONDS:-60}"
