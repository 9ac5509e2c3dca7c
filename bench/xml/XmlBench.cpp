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
#include <string>

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

using Source = const std::string& (*)();

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
