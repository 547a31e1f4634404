#!/usr/bin/env bash
# Runs the demo installer archive with the host's Java, as javaw.exe -jar
# would, and checks what it leaves in its current directory.
# usage: run_demo_installer.sh JAVA JAR
set -euo pipefail
java=$1
jar=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$java" '-Dorig.dir=D:\Some Folder' -jar "$jar"
expected=$'Corvanell demo installer\norig.dir=D:\\Some Folder\n'
actual=$(cat ant.install.log; echo x)
actual=${actual%x}
if [ "$actual" != "$expected" ]; then
    echo "ant.install.log holds:"; cat ant.install.log
    exit 1
fi
echo "demo installer wrote ant.install.log with orig.dir"
