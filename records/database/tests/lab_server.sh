#!/usr/bin/env bash
# A throwaway PostgreSQL server for the database tests, in a folder of its own:
#   lab_server.sh start DIR     make a cluster, start it on a free loopback port,
#                               create the database, the bench logins and the ODBC
#                               data sources (DIR/odbc is the ODBCSYSINI)
#   lab_server.sh halt DIR      stop the server at once, keeping the cluster
#   lab_server.sh resume DIR    start it again
#   lab_server.sh remove DIR    stop it and remove the folder
# As root the server runs as the postgres user, since PostgreSQL refuses root.
set -euo pipefail
command=$1
dir=$2
bin=/usr/lib/postgresql/15/bin
driver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so

as_server() {
  if [ "$(id -u)" = 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

start_server() {
  as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 30 start >/dev/null
}

case $command in
start)
  "$0" remove "$dir" || true
  mkdir -p "$dir/odbc" "$dir/socket"
  if [ "$(id -u)" = 0 ]; then
    chown postgres "$dir" "$dir/socket"
  fi
  port=$(free_port)
  as_server "$bin/initdb" -D "$dir/data" -U postgres -A trust --no-sync >"$dir/initdb.log"
  cat >>"$dir/data/postgresql.conf" <<CONF
listen_addresses = '127.0.0.1'
port = $port
unix_socket_directories = '$dir/socket'
fsync = off
CONF
  # The administrator without a password; every other login with one.
  cat >"$dir/data/pg_hba.conf" <<CONF
local all postgres trust
host all postgres 127.0.0.1/32 trust
host all all 127.0.0.1/32 scram-sha-256
CONF
  start_server
  psql=(psql -X -q -v ON_ERROR_STOP=1 -h "$dir/socket" -p "$port" -U postgres)
  "${psql[@]}" -d postgres -c "CREATE DATABASE probe_lab"
  "${psql[@]}" -d postgres -c "CREATE DATABASE probe_lab_empty"
  "${psql[@]}" -d probe_lab <<SQL
CREATE ROLE bench_one LOGIN PASSWORD 'bench-one-secret';
CREATE ROLE bench_two LOGIN PASSWORD 'bench-two-secret';
CREATE ROLE probe_bench NOLOGIN;
GRANT probe_bench TO bench_one, bench_two;
SQL
  cat >"$dir/odbc/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description = PostgreSQL ODBC driver (Unicode)
Driver = $driver
INI
  source_for() { # name database user [password]
    # Protocol 7.4-1: an error rolls back the transaction, which is what a push
    # does anyway; the driver then sets no savepoint around each statement.
    printf '[%s]\nDriver = PostgreSQL Unicode\nServername = 127.0.0.1\nPort = %s\nDatabase = %s\nUsername = %s\nProtocol = 7.4-1\n' \
      "$1" "$port" "$2" "$3"
    [ -n "${4:-}" ] && printf 'Password = %s\n' "$4"
    printf '\n'
  }
  {
    source_for probe_lab probe_lab postgres
    source_for probe_lab_bench probe_lab bench_one bench-one-secret
    source_for probe_lab_bench_nopass probe_lab bench_two
    source_for probe_lab_empty probe_lab_empty postgres
  } >"$dir/odbc/odbc.ini"
  printf 'PGHOST=%s\nPGPORT=%s\n' "$dir/socket" "$port" >"$dir/server.env"
  ;;
halt)
  as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null
  ;;
resume)
  if ! as_server "$bin/pg_ctl" -D "$dir/data" status >/dev/null; then
    start_server
  fi
  ;;
remove)
  if [ -f "$dir/data/postmaster.pid" ]; then
    as_server "$bin/pg_ctl" -D "$dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$dir"
  ;;
*)
  echo "usage: $0 start|halt|resume|remove DIR" >&2
  exit 1
  ;;
esac
