#!/bin/bash
# Two Syncthing instances on the loopback address keeping two notes folders in step, for trying
# the program against a real sync tool by hand (steps in tests/README.md).
#   tests/manual/syncthing-pair.sh start <dir>   creates <dir>/notes-a and <dir>/notes-b and syncs them
#   tests/manual/syncthing-pair.sh stop <dir>
# Nothing leaves the machine: no discovery, no relays, fixed loopback ports.
set -euo pipefail
cmd=${1:?start or stop}
root=$(realpath -m "${2:?a working folder}")

if [ "$cmd" = stop ]; then
    for side in a b; do
        [ -f "$root/st-$side.pid" ] && kill "$(cat "$root/st-$side.pid")" 2>/dev/null || true
    done
    exit 0
fi

command -v syncthing >/dev/null || { echo "install Debian's syncthing first" >&2; exit 1; }
mkdir -p "$root"
for side in a b; do
    mkdir -p "$root/notes-$side"
    [ -f "$root/st-$side/config.xml" ] ||
        syncthing generate --home="$root/st-$side" --no-default-folder >/dev/null
done
id_of() { syncthing --home="$root/st-$1" --device-id; }
ida=$(id_of a)
idb=$(id_of b)

# Rewrites one side's config: its ports, the other device, the shared folder.
configure() {
    local side=$1 gui=$2 port=$3 other=$4 otherport=$5 self=$6
    python3 - "$root/st-$side/config.xml" "$root/notes-$side" "$gui" "$port" "$other" \
        "$otherport" "$self" <<'PY'
import sys, xml.etree.ElementTree as ET
path, folder, gui, port, other, otherport, me = sys.argv[1:]
tree = ET.parse(path)
root = tree.getroot()
for f in root.findall('folder'):
    root.remove(f)
for d in root.findall('device'):
    if d.get('id') != me:
        root.remove(d)
dev = ET.SubElement(root, 'device', id=other, name='other', compression='metadata',
                    introducer='false', skipIntroductionRemovals='false', introducedBy='')
ET.SubElement(dev, 'address').text = 'tcp://127.0.0.1:' + otherport
ET.SubElement(dev, 'paused').text = 'false'
fol = ET.SubElement(root, 'folder', id='notes', label='notes', path=folder, type='sendreceive',
                    rescanIntervalS='10', fsWatcherEnabled='true', fsWatcherDelayS='1',
                    ignorePerms='false', autoNormalize='true')
ET.SubElement(fol, 'maxConflicts').text = '10'
for d in (me, other):
    ET.SubElement(fol, 'device', id=d, introducedBy='')
root.find('gui').find('address').text = '127.0.0.1:' + gui
opts = root.find('options')
def setopt(name, value):
    for e in opts.findall(name):
        opts.remove(e)
    ET.SubElement(opts, name).text = value
setopt('listenAddress', 'tcp://127.0.0.1:' + port)
for name in ('globalAnnounceEnabled', 'localAnnounceEnabled', 'relaysEnabled', 'natEnabled',
             'startBrowser', 'crashReportingEnabled'):
    setopt(name, 'false')
setopt('urAccepted', '-1')
tree.write(path)
PY
}
configure a 18384 22101 "$idb" 22102 "$ida"
configure b 18385 22102 "$ida" 22101 "$idb"
for side in a b; do
    STNOUPGRADE=1 syncthing serve --home="$root/st-$side" --no-browser --no-restart \
        >"$root/st-$side.log" 2>&1 &
    echo $! >"$root/st-$side.pid"
done
echo "syncing $root/notes-a <-> $root/notes-b (logs in $root/st-*.log)"
