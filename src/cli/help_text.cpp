#include "cli/command_line.h"

namespace cli {

QString helpText() {
    return QStringLiteral(R"(Usage: torvane-cli [OPTION]... scan [--type CODE|TEXT] [--compare FILE]
       torvane-cli [OPTION]... set MAC [--ip A|auto] [--netmask M] [--gateway G] [--dhcp on|off]
       torvane-cli [OPTION]... blink MAC...
       torvane-cli [OPTION]... restart MAC...
       torvane-cli [OPTION]... apply PLAN.csv|- [--dry-run] [--restart]
       torvane-cli [OPTION]... watch [--interval S] [--exec CMD] [--exec-timeout S]
       torvane-cli [OPTION]... history [MAC] [--since DATE]
       torvane-cli [OPTION]... inventory [--since DATE]
Finds TORVANE gateways by UDP broadcast (port 55808) and changes their addresses, from a
shell or a script, with the same protocol as the TorvaneScan window.

Commands:
  scan             broadcast one scan, ask the devices whose answer is short for their
                   netmask and gateway, and list every device, sorted by IP address;
                   Ctrl-C ends the scan and lists what it found so far; exit
                   status 1 when no device answered; in_adapter_subnet tells whether
                   a device lies in the adapter's subnet (outside, only broadcasts
                   reach it)
      --type CODE|TEXT only devices whose type code is CODE or whose type name
                       holds TEXT (in any case)
      --compare FILE   list instead the devices that are new, missing or changed
                       (from -> to) against a list saved earlier as CSV, JSON or
                       JSON lines (by scan, inventory or the window);
                       exit status 0 when nothing differs, 1 when something does
  set MAC          find the device by a scan and change the values given: each address
                   first temporarily, then permanently, each request confirmed by the
                   device; values the device has already are not sent unless the
                   history says their last change did not end done (then they are
                   written again in full); a closing scan checks the result
      --ip A           new IP address
      --ip auto        for a device outside the adapter's subnet: the lowest free address
                       of the subnet (not its network or broadcast address, not this
                       PC's, not a listed gateway's, no host answering the probe), with
                       the adapter's netmask and the device's gateway while that lies
                       inside the subnet, else 0.0.0.0, unless --netmask or --gateway
                       are given; a device inside keeps its IP
      --netmask M      new netmask
      --gateway G      new gateway address (0.0.0.0 for none)
      --dhcp on|off    switch DHCP on or off (takes effect after a restart); switched
                       off, the device also gets its IP address, netmask and gateway
                       written, as the window does
  blink MAC...     make each device blink, to find it in the cabinet
  restart MAC...   restart each device
  apply PLAN.csv   give many devices their values from a plan, many devices at once
                   (see --parallel), each device's requests one after the other;
                   every row is decided against the scan before anything is sent,
                   and one refused row refuses the plan (exit status 2)
      --dry-run        scan and show each value from -> to ("would change"), with the
                       decisions of the real run; send nothing else
      --restart        restart each device whose DHCP setting its row changed, once
                       the row is done, so that the setting takes effect
  watch            scan again and again and report each device that appeared,
                   disappeared (missing from two scans in a row), changed (from -> to)
                   or shares its IP address with another MAC (duplicate_ip); the first
                   scan reports every device as appeared. SIGINT or SIGTERM ends the
                   watch after the current scan; between scans the port is free
      --interval S     seconds from the start of one scan to the next (default 30)
      --exec CMD       run CMD with /bin/sh for every event: the event's JSON on its
                       standard input, TORVANE_EVENT, TORVANE_MAC and TORVANE_IP in its
                       environment; a failure is reported and the watch goes on
      --exec-timeout S   stop CMD after S seconds (default 10)
  history [MAC]    print the change history (of one device), oldest first: every
                   value of every change with what became of it; sends nothing
      --since DATE     only records from DATE on (2026-05-04 or an ISO 8601 time)
  inventory        print every device that a scan of the window or of torvane-cli
                   has heard (each scan records them in the history), by MAC: mac,
                   ip, netmask, gateway, dhcp, type, type_name, revision (the latest
                   values), adapter and host (where it was heard last), first_seen,
                   last_seen (UTC); json keeps these keys (null where unknown);
                   scan --compare reads its json and csv; sends nothing
      --since DATE     only devices last seen on or after DATE

  MAC is six hexadecimal pairs joined by - or :, in any case (02-54-56-00-00-01).

Options:
  --adapter IP|all the local address to work through (default: the adapter chosen in
                   the TorvaneScan window, else the first local address); all: every
                   local IPv4 adapter but loopback, each device through the one that
                   heard it (a plan's devices must all be behind one)
  --scan-ms MS     length of the scan period in milliseconds (default 2500); the scan
                   ends once it is over and every read is answered or given up
  --timeout MS     how long to wait for each confirmation, and for the answers to the
                   reads of one device before it is asked once more (default 3000)
  --parallel N     devices read, and by apply changed, at once, from 1 to 256
                   (default 32); devices that share an IP address, now or planned, go
                   one after the other; 1 reads and changes one device after the
                   other, as the window does
  --wait-ms MS     how long to wait while another TorvaneScan program (the window or
                   a second torvane-cli) works on the port, before giving up with exit
                   status 3 (default 5000; 0 gives up at once)
  --format FORMAT  output of scan, apply and history: table (default), json, jsonl (one
                   object a line) or csv; apply writes each row as soon as it is
                   known; of watch: table or jsonl (one object a line and event); of
                   inventory: table, json or csv
  --gdf FILE       gateway description file naming the device types (default: the
                   window's choice, else gdf/Pellmar.gdf beside the program)
  --verbose        write the log lines to stderr
  --no-probe       set, apply: do not probe new IP addresses (for a segment the
                   adapter is not on)
  -h, --help       show this help and exit
  --version        show the version and exit

Plan file: CSV (RFC 4180; a spreadsheet's semicolons or tabs are understood too; UTF-8,
or UTF-16 with a byte-order mark), or - for standard input, whose header row names mac
and some of ip, netmask, gateway, dhcp in any order:
    mac,ip,netmask,gateway,dhcp
    02-54-56-00-00-01,10.77.0.21,255.255.255.0,10.77.0.1,off
    02-54-56-00-00-02,10.77.0.22,,,
An empty cell leaves that value as the device has it (dhcp: on/active, off/inactive;
unsupported or n/a leave it). The device list of `--format csv scan` is a plan: type the
new addresses into its ip column. Its other columns, and columns of your own, are left
alone; a header spelt nearly as a plan column (netmsk) is refused. A bad MAC or address,
a MAC planned twice or one IP planned for two devices is reported with its line number,
and nothing is sent; so is a plan that is not a file, larger than 4 MiB or not text.
Every new address keeps the address rules (man torvane-cli, ADDRESS RULES): no network,
broadcast, loopback, multicast or local address as IP, 1 to 31 leading one bits as
netmask, a gateway inside the new subnet that is not the device's IP or the broadcast.
apply reports every row: done, unchanged, refused, timeout, unverified, interrupted,
not started or not found, and per value what the device confirmed (done,
temporary_only, refused, timeout, not_sent, interrupted).

SIGINT or SIGTERM during set or apply: the value under way (of every device being
changed) is written to its end,
nothing further is sent, every row is reported, exit status 130 or 143; a second
SIGINT stops at once. The history is kept in
$XDG_DATA_HOME/Kestrelwald/TorvaneScan/history.sqlite (~/.local/share without it).

Exit status: 0 all done; 1 a device refused, did not confirm or was not found; 2 bad
command line or plan (nothing sent); 3 the adapter could not be bound (its port held by
another program), the port stayed in use by another TorvaneScan program, the network
failed, or (history, inventory) the history could not be read; nothing is sent then;
130, 143 interrupted.

One program works on the port at a time: a command holds it from its scan to its end,
the window while it scans, reads, changes, blinks or restarts. The lock file lies in
$XDG_RUNTIME_DIR (else beside the settings), one per network namespace.

Probe: before a new IP address is written (set, apply and its --dry-run, all of a
plan's addresses together), one empty datagram goes from the adapter's address to UDP
port 9 (discard) of each new address inside the adapter's subnet, and the kernel's
neighbour table is read for a host that answered, for a quarter of a second at most. An
address where a host answers that is not a gateway of the scan is refused, as in
10.77.0.50 is in use by a host that is not a TORVANE gateway (MAC 5E-...); over a
loopback adapter the probe finds nothing.

Every command broadcasts: run it only on the network of the devices.
)");
}

} // namespace cli
