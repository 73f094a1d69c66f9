// tqxctl ports, scan and backup --all: the serial ports of the machine and the
// controllers on one line.

#include "tqxctl_commands.h"

#include "files/parameter_file_writer.h"
#include "image/shown_text.h"
#include "link/bus_scan.h"
#include "link/link_failure.h"
#include "link/modbus_transport.h"
#include "link/serial_ports_qtcore.h"
#include "operator/messages.h"
#include "tqxctl_history.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <sys/stat.h>

namespace {

constexpr int kOk = 0;
constexpr int kError = 2;

class StderrMessages : public Messages {
public:
    void Show(const std::string& text) override {
        std::fprintf(stderr, "tqxctl: %s\n", text.c_str());
    }
};

struct ScanOptions {
    int first = 1, last = 31;
    std::vector<int> bauds;
    std::string dir; // backup --all
};

bool ParseScanOptions(const Operands& operands, bool backup, ScanOptions& o) {
    for (size_t i = 0; i < operands.size(); ++i) {
        const std::string& a = operands[i];
        std::string value;
        if (!OptionValue(operands, i, a == "--all" ? "DIR" : "value", value))
            return false;
        if (a == "--units") {
            int first = 0, last = 0;
            char dash = 0, rest = 0;
            const int n = std::sscanf(value.c_str(), "%d%c%d%c", &first, &dash, &last, &rest);
            if (n == 1)
                last = first;
            else if (n != 3 || dash != '-')
                return false;
            if (first < 1 || last > 247 || last < first)
                return false;
            o.first = first;
            o.last = last;
        } else if (a == "--bauds") {
            o.bauds.clear();
            size_t start = 0;
            while (start <= value.size()) {
                const size_t comma = std::min(value.find(',', start), value.size());
                const int baud = std::atoi(value.substr(start, comma - start).c_str());
                if (baud < 50 || baud > 4000000)
                    return false;
                o.bauds.push_back(baud);
                start = comma + 1;
            }
        } else if (backup && a == "--all") {
            o.dir = value;
        } else {
            return false;
        }
    }
    return !backup || !o.dir.empty();
}

// Scans, printing each controller as it answers; false when a line could not be opened.
bool Scan(const PortSettings& base, const ScanOptions& o, std::vector<ScanFound>& found) {
    std::unique_ptr<ScanPort> port = MakeModbusScanPort();
    BusScan scan(*port, ScanLines(base, o.bauds), o.first, o.last);
    size_t shown = 0;
    while (!scan.Finished() && !Interrupted()) {
        scan.Step();
        for (; shown < scan.Found().size(); ++shown) {
            std::printf("%s\n", DescribeScanFound(scan.Found()[shown]).c_str());
            std::fflush(stdout);
        }
    }
    found = scan.Found();
    if (!scan.Error().empty()) {
        std::fprintf(stderr, "tqxctl: %s\n", scan.Error().c_str());
        return false;
    }
    return true;
}

// A file name from the unit and the model code (letters, digits and '-' kept, anything else
// '_'), and the line's baud rate and framing when the scan went over several line
// settings, where one controller per unit is no longer given. A name another controller
// of this backup took gets "-2", "-3" ...: no two controllers go into one file.
std::string FileNameOf(const ScanFound& f, bool severalLines, std::set<std::string>& taken) {
    char unit[16];
    std::snprintf(unit, sizeof unit, "unit-%02d-", f.settings.unit);
    std::string name = unit;
    for (char c : f.modelCode)
        name += (std::isalnum(static_cast<unsigned char>(c)) || c == '-') ? c : '_';
    if (severalLines && f.settings.kind == PortSettings::Kind::Rtu)
        name += "-" + std::to_string(f.settings.baud) + "-8" + f.settings.parity +
                std::to_string(f.settings.stopBits);
    std::string unique = name;
    for (int n = 2; !taken.insert(unique).second; ++n)
        unique = name + "-" + std::to_string(n);
    return unique + ".slk";
}

} // namespace

int RunScan(TqxctlContext& context, const Operands& operands) {
    ScanOptions o;
    if (!ParseScanOptions(operands, false, o)) {
        std::fputs(CommandHelp("scan")->c_str(), stderr);
        return kError;
    }
    std::vector<ScanFound> found;
    if (!Scan(context.Port(), o, found))
        return kError;
    std::printf("%zu controller%s found\n", found.size(), found.size() == 1 ? "" : "s");
    return kOk;
}

int RunBackupAll(TqxctlContext& context, const Operands& operands) {
    ScanOptions o;
    if (!ParseScanOptions(operands, true, o)) {
        std::fputs(CommandHelp("scan")->c_str(), stderr);
        return kError;
    }
    ::mkdir(o.dir.c_str(), 0777);
    std::vector<ScanFound> found;
    if (!Scan(context.Port(), o, found))
        return kError;
    if (found.empty()) {
        std::fprintf(stderr, "tqxctl: no controller answered on %s\n",
                     ShortPortText(context.Port()).c_str());
        return kError;
    }
    struct Row {
        ScanFound found;
        std::string result;
    };
    std::vector<Row> rows;
    bool allOk = true;
    const bool severalLines = ScanLines(context.Port(), o.bauds).size() > 1;
    std::set<std::string> taken;
    std::set<std::string> files; // the files written, each counted once
    for (const ScanFound& f : found) {
        if (Interrupted()) {
            rows.push_back({f, "FAILED: not backed up (stopped by the operator)"});
            allOk = false;
            continue;
        }
        // Port 1 becomes this controller for the whole backup.
        ModbusTransport transport(true);
        transport.UseSettings(f.settings);
        TransferContext link(transport);
        StopOnInterrupt(&link);
        const std::string path = o.dir + "/" + FileNameOf(f, severalLines, taken);
        ParameterImage image;
        std::string result;
        const bool read = ReadControllerForBackup(context, link, image);
        StopOnInterrupt(nullptr);
        if (!read) {
            result =
                Interrupted() ? "FAILED: stopped by the operator" : "FAILED: " + link.FailureText();
        } else {
            StderrMessages messages;
            const bool written = WriteParameterFile(image, path, messages);
            result = written ? path : "FAILED: cannot write " + path;
            if (written)
                files.insert(path);
            // The read is recorded even when its file could not be written.
            RecordInHistory(context, context.recording.WholeRead(
                                         ControllerOn(f.settings, f.settings.unit, image),
                                         SnapshotEvent::BackupAll, image, kEveryGroup,
                                         written ? path : std::string()));
        }
        allOk = allOk && result.rfind("FAILED", 0) != 0;
        rows.push_back({f, result});
    }
    std::printf("\n%-5s %-22s %-15s %s\n", "unit", "line", "model code", "file");
    for (const Row& r : rows)
        std::printf("%-5d %-30s %-15s %s\n", r.found.settings.unit,
                    ShortPortText(r.found.settings).c_str(), ShownText(r.found.modelCode).c_str(),
                    r.result.c_str());
    // Each controller backed up is a file of its own: the count is of the files written.
    std::printf("%zu of %zu controllers backed up, one file each\n", files.size(), rows.size());
    return allOk ? kOk : kError;
}

int RunPorts(TqxctlContext&, const Operands& operands) {
    if (!operands.empty()) {
        std::fputs(CommandHelp("ports")->c_str(), stderr);
        return kError;
    }
    SystemPortEnumerator enumerator;
    const std::vector<SerialPortEntry> ports = enumerator.Ports();
    for (const SerialPortEntry& p : ports)
        std::printf("%s\n", DescribeSerialPort(p).c_str());
    if (ports.empty())
        std::printf("no serial ports found\n");
    return kOk;
}
