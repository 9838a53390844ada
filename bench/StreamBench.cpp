// Stream measurements over two long-running tray programs.
#include "StreamBench.h"

#include "LineStream.h"
#include "ProcStatus.h"

#include <nlohmann/json.hpp>

#include <stdexcept>

namespace corvane::bench {
namespace {

using namespace std::chrono_literals;

constexpr auto timeout = 20s;

void expectLine(test::Process& process, std::string_view expected)
{
    const std::optional<std::string> line = process.readLine(timeout);
    if (line != expected) {
        throw std::runtime_error("expected " + std::string(expected) + ", got " + line.value_or("nothing"));
    }
}

ResultTable::Row comparison(std::string metric, const Samples& ours, const Samples& bare, std::string goal = "—",
                            std::optional<bool> met = std::nullopt)
{
    return {std::move(metric),
            ResultTable::figure(ours, 1, "µs"),
            ResultTable::figure(bare, 1, "µs"),
            ResultTable::figure(ours.ratiosTo(bare), 2, "x"),
            std::move(goal),
            met};
}

} // namespace

StreamBench::StreamBench(int rounds)
    : m_rounds(rounds), m_host(m_desktop.startHost(CORVANE_TEST_HOST_PATH)), m_programs(m_desktop),
      m_ours(m_programs.ours({"--smoke"})), m_bare(m_programs.bareTray())
{
    expectLine(m_ours, R"({"event":"ready"})");
    expectLine(m_ours, R"({"event":"tray-visible"})");
    expectLine(m_bare, R"({"event":"ready"})");
    for (int item = 0; item < 2; ++item) {
        if (!m_host.awaitEvent("item-registered", timeout)) {
            throw std::runtime_error("a tray item was not registered");
        }
    }
    // Ours is registered under its customary name, which holds its process id.
    const std::string oursName = "StatusNotifierItem-" + std::to_string(m_ours.pid()) + "-";
    const nlohmann::json items = m_host.request("items");
    for (const nlohmann::json& item : items.at("items")) {
        const std::string name = item.get<std::string>();
        (name.find(oursName) != std::string::npos ? m_oursItem : m_bareItem) = name;
    }
    if (m_oursItem.empty() || m_bareItem.empty()) {
        throw std::runtime_error("the host does not list both tray items: " + items.dump());
    }
    m_drain.emplace(m_host);
}

StreamBench::~StreamBench()
{
    m_drain.reset();
    for (test::Process* program : {&m_ours, &m_bare}) {
        program->closeStdin();
        program->wait(timeout);
    }
}

StreamBench::Paired StreamBench::perLine(const StreamShape& shape, std::size_t count, int rounds, bool refused)
{
    Paired paired;
    for (int round = 0; round < rounds; ++round) {
        for (const bool ours : {true, false}) {
            test::Process& program = ours ? m_ours : m_bare;
            LineStream stream(program);
            stream.settle(stateLine(shape, m_serial));
            awaitExport(ours, m_serial++, stream.accepted());
            const std::vector<std::string> lines = refused ? refusedLines(count) : stateLines(shape, m_serial, count);
            const long last = m_serial + static_cast<long>(count) - 1;
            m_serial += static_cast<long>(count);
            const long switchesBefore = voluntarySwitches(program.pid());
            const long long cpuBefore = cpuNanoseconds(program.pid());
            const double perLine = stream.microsecondsPerLine(lines, [this, ours, last, refused](std::size_t accepted) {
                awaitExport(ours, refused ? std::nullopt : std::optional<long>(last), accepted);
            });
            const auto cpu = static_cast<double>(cpuNanoseconds(program.pid()) - cpuBefore) / 1000.0;
            const auto switches = static_cast<double>(voluntarySwitches(program.pid()) - switchesBefore);
            (ours ? paired.oursCpu : paired.bareCpu).add(cpu / static_cast<double>(count));
            (ours ? paired.oursSwitches : paired.bareSwitches).add(switches / static_cast<double>(count));
            if (ours && stream.accepted() != (refused || shape.badStatus ? 0 : count)) {
                throw std::runtime_error("corvane-tray did not answer the stream as expected");
            }
            (ours ? paired.ours : paired.bare).add(perLine);
        }
    }
    return paired;
}

void StreamBench::awaitExport(bool ours, std::optional<long> serial, std::size_t accepted)
{
    Shown& shown = ours ? m_oursShown : m_bareShown;
    if (accepted > 0) {
        shown = serial ? Shown{tooltipOf(*serial), false} : Shown{std::string(), true};
    }
    if (!m_drain->awaitTooltip(ours ? m_oursItem : m_bareItem, shown.title, shown.exact, timeout)) {
        throw std::runtime_error("the host did not read the tooltip of the last accepted line");
    }
}

StreamBench::Paired StreamBench::latencies(const StreamShape& shape, std::size_t count, int rounds)
{
    Paired paired;
    for (int round = 0; round < rounds; ++round) {
        for (const bool ours : {true, false}) {
            LineStream stream(ours ? m_ours : m_bare);
            stream.settle(stateLine(shape, m_serial));
            awaitExport(ours, m_serial++, stream.accepted());
            const Samples samples = stream.latencies(stateLines(shape, m_serial, count));
            m_serial += static_cast<long>(count);
            // Only the answers are timed here; the export is awaited so that it does not spill into the next
            // measurement.
            awaitExport(ours, m_serial - 1, stream.accepted());
            (ours ? paired.ours : paired.bare).append(samples);
        }
    }
    return paired;
}

void StreamBench::throughputRows(ResultTable& table)
{
    const auto add = [&table](const std::string& name, const Paired& paired, std::string goal,
                              std::optional<bool> met) {
        table.add(comparison(name + ": wall time per line", paired.ours, paired.bare, std::move(goal), met));
        table.add(comparison(name + ": CPU time per line", paired.oursCpu, paired.bareCpu));
    };
    const auto notAbove = [](const Paired& paired) { return paired.ours.ratiosTo(paired.bare).median() <= 1.0; };
    const Paired inPlace = perLine({.rows = 5}, 1000, m_rounds);
    add("In-place updates, 5 rows", inPlace, "≤ 1.00x", notAbove(inPlace));
    table.add({"In-place updates, 5 rows: wake-ups per line", ResultTable::figure(inPlace.oursSwitches, 2, ""),
               ResultTable::figure(inPlace.bareSwitches, 2, ""),
               ResultTable::figure(inPlace.oursSwitches.ratiosTo(inPlace.bareSwitches), 2, "x"), "—", std::nullopt});
    const Paired large = perLine({.rows = 32}, 500, m_rounds);
    add("In-place updates, 32 rows", large, "≤ 1.00x", notAbove(large));
    const Paired rebuild = perLine({.rows = 5, .newLayoutEachLine = true}, 500, m_rounds);
    add("New layout every line, 5 rows", rebuild, "ours ≤ 30 µs", rebuild.ours.median() <= 30.0);
    const Paired refused = perLine({.rows = 5}, 1000, m_rounds, true);
    add("Refused short lines", refused, "—", std::nullopt);
    const Samples cheaper = inPlace.ours.ratiosTo(refused.ours);
    table.add({"Accepted (5 rows) ÷ refused line, ours, wall", ResultTable::figure(inPlace.ours, 1, "µs"),
               ResultTable::figure(refused.ours, 1, "µs"), ResultTable::figure(cheaper, 1, "x"), "≥ 10x",
               cheaper.median() >= 10.0});
    const Samples cheaperCpu = inPlace.oursCpu.ratiosTo(refused.oursCpu);
    table.add({"Accepted (5 rows) ÷ refused line, ours, CPU", ResultTable::figure(inPlace.oursCpu, 1, "µs"),
               ResultTable::figure(refused.oursCpu, 1, "µs"), ResultTable::figure(cheaperCpu, 1, "x"), "≥ 10x",
               cheaperCpu.median() >= 10.0});
    const Paired badStatus = perLine({.rows = 5, .badStatus = true}, 1000, m_rounds);
    add("Refused whole state (status \"Ready\"), 5 rows", badStatus, "—", std::nullopt);
}

void StreamBench::scaleRows(ResultTable& table)
{
    const int rounds = std::max(1, m_rounds - 2);
    const auto add = [&table](const std::string& name, const Paired& paired) {
        table.add(comparison(name + ", wall", paired.ours, paired.bare));
        table.add(comparison(name + ", CPU", paired.oursCpu, paired.bareCpu));
    };
    for (const std::size_t kib : {1, 4, 16, 32, 64}) {
        add(std::to_string(kib) + " KiB line, 5 rows",
            perLine({.rows = 5, .lineBytes = kib * 1024}, kib >= 32 ? 150 : 300, rounds));
    }
    for (const std::size_t rows : {1, 2, 4, 8, 16, 32}) {
        add(std::to_string(rows) + (rows == 1 ? " row" : " rows") + " in place", perLine({.rows = rows}, 300, rounds));
    }
}

void StreamBench::run(ResultTable& throughput, ResultTable& latency, ResultTable& scale)
{
    throughputRows(throughput);
    const Paired paired = latencies({.rows = 5}, 300, m_rounds);
    for (const auto& [name, percent] : {std::pair{"p50", 50.0}, std::pair{"p99", 99.0}, std::pair{"max", 100.0}}) {
        Samples ours;
        Samples bare;
        ours.add(paired.ours.percentile(percent));
        bare.add(paired.bare.percentile(percent));
        latency.add(comparison(std::string("Line written → \"state-applied\" read, ") + name, ours, bare));
    }
    scaleRows(scale);
}

} // namespace corvane::bench
