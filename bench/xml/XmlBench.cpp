// How fast CXmlDocument reads the tool's documents, next to pugixml on the
// same texts, and how AppendChild's cost grows with the document.
//
//   build/<dir>/bench/xml/xml_bench
//
// The parse benchmarks report bytes per second; compare each CXmlDocument
// line with the pugixml line of the same document.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "filetransfer/RemotePane.h"
#include "xml/CXmlDocument.h"

namespace {

// A controller's file listing: 100 000 ENT elements, about 10 MB.
const std::string& DirectoryXml()
{
    static const std::string text = [] {
        std::string t = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DIR>\r\n";
        char line[160];
        for (int i = 0; i < 100000; ++i) {
            std::snprintf(line, sizeof line,
                          "<ENT name=\"MSG\\FILE%06d.BMP\" size=\"%d\" sec=\"%d\" attr=\"RW\" "
                          "crc=\"0x%08X\" ver=\"1\"/>\r\n",
                          i, 1000 + (i * 7919) % 1000000, 1700000000 + i * 61, static_cast<unsigned>(i) * 2654435761u);
            t += line;
        }
        t += "</DIR>\r\n";
        return t;
    }();
    return text;
}

// A display's configuration as the controllers write it.
const std::string& ConfigXml()
{
    static const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<CFG type=\"16X96R.HLV.Jx\" ds=\"Main St &amp; 5th - northbound\" mid=\"HLV16RG\" gamma=\"2.20\" "
        "logmax=\"20000\" mode=\"0\" tpl=\"55\" tph=\"65\" ldl=\"0\" hdl=\"100\" rfr=\"120\">\r\n"
        "<ADDR ip=\"10.0.0.5\" msk=\"255.255.255.0\" gtw=\"10.0.0.1\" dhcp=\"\" sw=\"5\" ertd=\"1\"/>\r\n"
        "<TIME zn=\"-300\" dst=\"1\" clk=\"0\"/>\r\n"
        "<ENET spd=\"AUTO\" dplx=\"AUTO\"/>\r\n"
        "<SCRTY user=\"Admin\" pswrd=\"secret\"/>\r\n"
        "<PORT type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/>\r\n"
        "<PORT type=\"MODEM\" protocol=\"HTCH\" num=\"3\" baud=\"57600\" initstr=\"AT&amp;F&amp;D&amp;C0V0S0=1&amp;W0\" "
        "hdsk=\"2\"/>\r\n"
        "<PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3001\"/>\r\n"
        "<PORT type=\"DIRECT\" protocol=\"RTD\" num=\"2\" baud=\"9600\" initstr=\"\" hdsk=\"0\"/>\r\n"
        "<PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3002\"/>\r\n"
        "<LOG level=\"2\"><!-- kept by the controller --></LOG>\r\n"
        "</CFG>\r\n";
    return text;
}

// The module catalogue: three technologies, three colour classes, 20 modules each.
const std::string& ModulesXml()
{
    static const std::string text = [] {
        std::string t = "<?xml version=\"1.0\"?>\r\n<MODULES vr=\"1.4.2\">\r\n";
        char line[160];
        for (const char* tech : {"HLV", "BRT", "CN"}) {
            t += std::string("  <DISPLAYTECH type=\"") + tech + "\">\r\n";
            for (const char* colour : {"MONO", "RG", "RGB"}) {
                t += std::string("    <COLORTECH type=\"") + colour + "\">\r\n";
                for (int m = 0; m < 20; ++m) {
                    std::snprintf(line, sizeof line, "      <MODULE type=\"%dx%d %s %s\" value=\"%s%s%02d\"/>\r\n",
                                  16 * (1 + m % 4), 32 * (1 + m % 3), tech, colour, tech, colour, m);
                    t += line;
                }
                t += "    </COLORTECH>\r\n";
            }
            t += "  </DISPLAYTECH>\r\n";
        }
        t += "</MODULES>\r\n";
        return t;
    }();
    return text;
}

// A controller's listing as the File Transfer window fetches it: 157 000
// entries of a name, a size and a time, about 10 MB.
const std::string& ListingXml()
{
    static const std::string text = [] {
        std::string t = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<DIR>\r\n";
        char line[160];
        for (int i = 0; i < 157000; ++i) {
            std::snprintf(line, sizeof line, "<ENT name=\"MSG\\F%06d.BMP\" size=\"%d\" sec=\"%d\"/>\r\n", i,
                          1000 + (i * 7919) % 1000000, 1700000000 + i * 61);
            t += line;
        }
        t += "</DIR>\r\n";
        return t;
    }();
    return text;
}

using Source = const std::string& (*)();

// The remote pane filled from the listing: parse, then every entry's name,
// size and time read into a row, then the sort by name.
size_t FillOurs(const std::string& text)
{
    return ShowDirectoryAndStatus({}, {}, std::nullopt, text).pane.rows.size();
}

// The same fill through pugixml: the same reads, rows and sort.
size_t FillPugi(const std::string& text)
{
    pugi::xml_document doc;
    if (!doc.load_buffer(text.data(), text.size())) return 0;
    std::vector<CFileListRow> list;
    int i = 0;
    for (pugi::xml_node ent : doc.child("DIR").children("ENT")) {
        CFileListRow row;
        row.name = ent.attribute("name").value();
        row.sizeText = std::to_string(JxDocumentNumber(ent.attribute("size").value()));
        row.timeText = JxRemoteTimeText(JxDocumentNumber(ent.attribute("sec").value()));
        row.itemData = i++;
        list.push_back(std::move(row));
    }
    SortFileList(list, {});
    return list.size();
}

template <size_t (*Fill)(const std::string&)>
void FillRemotePane(benchmark::State& state)
{
    const std::string& text = ListingXml();
    size_t rows = 0;
    for (auto _ : state) {
        rows = Fill(text);
        benchmark::DoNotOptimize(rows);
    }
    if (rows != 157000) state.SkipWithError("rows missing");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
void FillRemotePaneOurs(benchmark::State& state) { FillRemotePane<FillOurs>(state); }
void FillRemotePanePugi(benchmark::State& state) { FillRemotePane<FillPugi>(state); }

// This thread's processor time: the other builds on a shared machine do not
// count against either side.
double ThreadNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

// Both fills taken in turns, each going first every other time, so that the
// machine's state weighs on both alike; the ratio counter (ours / pugixml,
// processor time of this thread) is the figure to watch.
void FillRemotePaneVsPugi(benchmark::State& state)
{
    const std::string& text = ListingXml();
    double oursNs = 0;
    double pugiNs = 0;
    bool oursFirst = true;
    auto timed = [](size_t (*fill)(const std::string&), const std::string& t, double& total) {
        const double t0 = ThreadNs();
        const size_t rows = fill(t);
        total += ThreadNs() - t0;
        return rows;
    };
    for (auto _ : state) {
        size_t ours = 0;
        size_t pugi = 0;
        if (oursFirst) {
            ours = timed(FillOurs, text, oursNs);
            pugi = timed(FillPugi, text, pugiNs);
        } else {
            pugi = timed(FillPugi, text, pugiNs);
            ours = timed(FillOurs, text, oursNs);
        }
        oursFirst = !oursFirst;
        if (ours != 157000 || pugi != 157000) state.SkipWithError("rows missing");
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = oursNs / n / 1e6;
    state.counters["pugi_ms"] = pugiNs / n / 1e6;
    state.counters["ratio"] = pugiNs > 0 ? oursNs / pugiNs : 0;
}

BENCHMARK(FillRemotePaneOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(FillRemotePanePugi)->Unit(benchmark::kMillisecond);
BENCHMARK(FillRemotePaneVsPugi)->Unit(benchmark::kMillisecond)->MinTime(3);

void ParseOurs(benchmark::State& state, Source source, bool utf8)
{
    const std::string& text = source();
    for (auto _ : state) {
        CXmlDocument doc;
        const bool ok = doc.Parse(text, utf8);
        benchmark::DoNotOptimize(ok);
        if (!ok) state.SkipWithError("parse failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void ParsePugi(benchmark::State& state, Source source)
{
    const std::string& text = source();
    for (auto _ : state) {
        pugi::xml_document doc;
        const pugi::xml_parse_result result = doc.load_buffer(text.data(), text.size());
        benchmark::DoNotOptimize(result.status);
        if (!result) state.SkipWithError("parse failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

BENCHMARK_CAPTURE(ParseOurs, Directory10MB, DirectoryXml, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ParseOurs, Directory10MB_Utf8, DirectoryXml, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ParsePugi, Directory10MB, DirectoryXml)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ParseOurs, Config, ConfigXml, false);
BENCHMARK_CAPTURE(ParseOurs, Config_Utf8, ConfigXml, true);
BENCHMARK_CAPTURE(ParsePugi, Config, ConfigXml);
BENCHMARK_CAPTURE(ParseOurs, Modules, ModulesXml, false);
BENCHMARK_CAPTURE(ParseOurs, Modules_Utf8, ModulesXml, true);
BENCHMARK_CAPTURE(ParsePugi, Modules, ModulesXml);
BENCHMARK_CAPTURE(ParseOurs, Listing10MB, ListingXml, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ParsePugi, Listing10MB, ListingXml)->Unit(benchmark::kMillisecond);

// range(0): size of the document in KB (PORT lines of about 75 bytes);
// range(1): AppendChild calls per iteration, each adding a PORT after the
// previous one, as the CONFIG.XML model does.
void AppendChildren(benchmark::State& state)
{
    const size_t size = static_cast<size_t>(state.range(0)) * 1024;
    const int64_t appends = state.range(1);
    std::string text = "<CFG type=\"16X96R.HLV.Jx\">\r\n";
    while (text.size() < size) text += "<PORT type=\"TCPIP\" protocol=\"Kor\" num=\"3001\" baud=\"19200\" hdsk=\"0\"/>\r\n";
    text += "</CFG>\r\n";
    CXmlDocument original;
    if (!original.Parse(text, false)) state.SkipWithError("parse failed");
    for (auto _ : state) {
        state.PauseTiming();
        CXmlDocument doc(original);
        doc.FindNextElement("CFG");
        doc.FindNextChild("PORT");
        state.ResumeTiming();
        for (int64_t i = 0; i < appends; ++i) benchmark::DoNotOptimize(doc.AppendChild("PORT"));
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * appends);
}
BENCHMARK(AppendChildren)
    ->Args({100, 1000})
    ->Args({100, 4000})
    ->Args({400, 1000})
    ->Args({1600, 1000})
    ->Unit(benchmark::kMillisecond);

}  // namespace
