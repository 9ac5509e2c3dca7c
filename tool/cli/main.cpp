// korctl: the display controllers from the command line, for scripts and
// fleets of displays. One link per target, the tool's rules for every step.
#include <csignal>
#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

#include <CLI/CLI.hpp>
#include <KorNet.h>

#include "CliCommand.h"
#include "CliFleet.h"
#include "CliMessages.h"
#include "CliOutput.h"
#include "CliTargets.h"
#include "connection/DialupRules.h"

namespace {

const char* const kFooter = R"(Targets:
  tcp:HOST[:PORT]          a display on the network (port 3001 unless given)
  com:N[@BAUD]             COM port N of the port map (korctl ports; 19200 baud unless given)
  dev:/dev/ttyUSB0[@BAUD]  a serial device by its path
  dial:NUMBER@LINE         a call through the modem with line identifier LINE (korctl modems)
  Several targets run in parallel, one link each; the addresses of a target in turn.

Exit status:
  0  every address succeeded
  1  some addresses failed (or failed in different ways)
  2  usage: bad arguments, or a value the tool's windows refuse
  3  could not connect
  4  no response from the display
  5  the display refused (it answered with an error)
  6  local file error)";

// The first Ctrl-C ends the run in order (links abort, results are
// reported); a second one ends the program at once.
void OnInterrupt(int signal)
{
    if (g_cliInterrupted.exchange(true)) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

int Usage(const std::string& message)
{
    std::fprintf(stderr, "korctl: %s\n", message.c_str());
    return kCliUsage;
}

int ListPorts(bool asJson)
{
    std::vector<KorNetComPort> ports(256);
    const int16_t total = KorNetListComPorts(ports.data(), static_cast<int16_t>(ports.size()));
    ports.resize(std::clamp<int>(total, 0, 256));
    nlohmann::json list = nlohmann::json::array();
    for (const auto& p : ports) list.push_back({{"com", p.number}, {"device", p.device}});
    if (asJson) std::printf("%s\n", nlohmann::json{{"command", "ports"}, {"exit", 0}, {"ports", list}}.dump(2).c_str());
    else
        for (const auto& p : ports) std::printf("COM%d (%s)\n", p.number, p.device);
    return kCliSuccess;
}

int ListModems(bool asJson)
{
    nlohmann::json list = nlohmann::json::array();
    for (const CListedModem& m : ReadModemList()) list.push_back({{"name", m.name}, {"line", m.dialupId}});
    if (asJson) {
        std::printf("%s\n", nlohmann::json{{"command", "modems"}, {"exit", 0}, {"modems", list}}.dump(2).c_str());
    } else {
        for (const auto& m : list)
            std::printf("%-50s line %u\n", m["name"].get<std::string>().c_str(), m["line"].get<uint32_t>());
    }
    return kCliSuccess;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"korctl: Tolvar display controllers from the command line", "korctl"};
    app.footer(kFooter);
    app.require_subcommand(1);
    app.fallthrough();

    std::vector<std::string> targetTexts;
    std::string targetsFile, addressList = "1";
    CliRunOptions options;
    bool asJson = false;
    app.add_option("TARGET", targetTexts, "tcp:HOST[:PORT] com:N[@BAUD] dev:PATH[@BAUD] dial:NUMBER@LINE");
    app.add_option("--targets", targetsFile, "a file of targets, one per line (# comments)");
    app.add_option("--address", addressList, "display addresses, e.g. 1,3,7-12 (default 1)");
    app.add_option("--timeout", options.timeoutMs, "reply time-out in milliseconds")->check(CLI::Range(50, 600000));
    app.add_option("--retries", options.retries, "retries of a frame exchange")->check(CLI::Range(0, 100));
    app.add_flag("--json", asJson, "one JSON document with every result");
    app.add_flag("--trace", options.trace, "every frame on the line, decoded, on stderr");
    app.add_option("--jobs", options.jobs, "targets at once (default: all)")->check(CLI::Range(1, 4096));

    CliCommand command;
    auto named = [&](CLI::App* sub, const char* name) { sub->callback([&command, name] { command.name = name; }); };
    named(app.add_subcommand("ping", "round-trip time per address"), "ping");
    named(app.add_subcommand("status", "display name, firmware version, memory lines, display type"), "status");
    named(app.add_subcommand("ls", "the display's files (name, size, time)"), "ls");
    auto* get = app.add_subcommand("get", "a file from the display to LOCAL, or to stdout with -");
    std::string remote;
    get->add_option("REMOTE", remote, "the display's file")->required();
    get->add_option("LOCAL", command.local, "local path, or - for standard output");
    get->callback([&] {
        command.name = "get";
        command.args = {remote};
    });
    auto* put = app.add_subcommand("put", "a file to the display (REMOTE: the upper-cased name)");
    put->add_option("LOCAL REMOTE", command.args, "local file and display name")->required()->expected(1, 2);
    named(put, "put");
    auto* rm = app.add_subcommand("rm", "removes files from the display");
    rm->add_option("NAME", command.args, "display file names")->required();
    named(rm, "rm");
    auto* mv = app.add_subcommand("mv", "renames a file on the display");
    mv->add_option("OLD NEW", command.args, "old and new name")->required()->expected(2);
    named(mv, "mv");
    named(app.add_subcommand("reset", "resets the display"), "reset");
    auto* config = app.add_subcommand("config", "the display's CONFIG.XML");
    config->require_subcommand(1);
    named(config->add_subcommand("show", "name, zone, daylight saving, clock mode, address, IP settings, ports"),
          "config-show");
    auto* set = config->add_subcommand("set", "KEY=VALUE... through the tool's window rules, then send, wait, reset\n"
                                              "keys: name zone dst clock address ip mask gateway dhcp dhcpname");
    set->add_option("KEY=VALUE", command.args, "e.g. address=12 ip=10.0.0.5 mask=255.0.0.0 dst=on")->required();
    named(set, "config-set");
    auto* cget = config->add_subcommand("get", "the raw document to FILE (- for stdout)");
    cget->add_option("FILE", command.args)->required()->expected(1);
    named(cget, "config-get");
    auto* cput = config->add_subcommand("put", "a whole document from FILE, then wait and reset");
    cput->add_option("FILE", command.args)->required()->expected(1);
    named(cput, "config-put");
    auto* watch = app.add_subcommand("watch", "polls status and ping; statistics per address");
    watch->add_option("--interval", command.intervalSeconds, "seconds between rounds (default 1)")
        ->check(CLI::Range(0.0, 86400.0));
    watch->add_option("--count", command.count, "rounds (default: until Ctrl-C)")->check(CLI::Range(0, 1000000000));
    named(watch, "watch");
    auto* firmware = app.add_subcommand("firmware", "the Download Firmware procedure: IMAGE (.EXE), then reset");
    firmware->add_option("IMAGE", command.args, "the firmware image (.EXE); - with --driver alone")
        ->required()
        ->expected(1);
    firmware->add_option("--driver", command.driver, "a driver (.RBF) sent before the image");
    firmware->add_flag("--high-speed", command.highSpeed, "on a direct line, send at 115200 and switch back");
    named(firmware, "firmware");
    named(app.add_subcommand("ports", "serial ports the library knows"), "ports");
    named(app.add_subcommand("modems", "modems the library knows"), "modems");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // An unknown command lands among the targets; say what it is.
        for (const auto& t : targetTexts)
            if (t.find(':') == std::string::npos) return Usage("unknown command '" + t + "' (see korctl --help)");
        std::string what = e.what();
        if (what.empty()) what = e.get_name();
        return Usage(what);
    }

    if (command.name == "ports") return ListPorts(asJson);
    if (command.name == "modems") return ListModems(asJson);

    std::string error;
    for (const auto& text : targetTexts) {
        CliTarget target;
        if (text.find(':') == std::string::npos) return Usage("unknown command '" + text + "' (see korctl --help)");
        if (!CliParseTarget(text, target, error)) return Usage(error);
        options.targets.push_back(std::move(target));
    }
    if (!targetsFile.empty() && !CliReadTargetsFile(targetsFile, options.targets, error)) return Usage(error);
    if (options.targets.empty()) return Usage("no target: give TARGET... or --targets FILE");
    if (!CliParseAddressList(addressList, options.addresses, error)) return Usage(error);

    command.severalPlaces = options.targets.size() * options.addresses.size() > 1;
    int exit = kCliUsage;
    if (!CliCheckCommand(command, error, exit)) {
        std::fprintf(stderr, "korctl: %s\n", error.c_str());
        return exit;
    }
    options.progress = isatty(STDERR_FILENO) && options.targets.size() == 1 &&
                       (command.name == "get" || command.name == "put" || command.name == "firmware");
    if (!CliAssignDevicePorts(options.targets, error)) return Usage(error);

    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    CliInstallMessageSink();

    const std::vector<CliResult> results = CliRunFleet(options, command);
    CliRemovePrivatePortMap();
    exit = CliRunExit(results);
    // With the file on standard output, the report goes to stderr.
    std::FILE* out = command.local == "-" || (command.name == "config-get" && command.args[0] == "-") ? stderr : stdout;
    if (asJson) std::fprintf(out, "%s\n", CliJsonDocument(command.name, results, exit).dump(2).c_str());
    else CliPrintText(out, command.name, results);
    return exit;
}
