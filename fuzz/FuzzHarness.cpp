// The fuzz harnesses: invariants of the framer, the tray-state decoder and validity rules, and the two
// dispatchers (as transcripts with in-memory frontends). Plain C++; built with libFuzzer and ASan/UBSan
// for the fuzz targets and with the normal compiler for fuzz_regression_test.
#include "FuzzHarness.h"

#include "protocol/DisplayText.h"
#include "protocol/Event.h"
#include "protocol/EventSink.h"
#include "protocol/FormDispatcher.h"
#include "protocol/FormFrontend.h"
#include "protocol/JsonText.h"
#include "protocol/LineFramer.h"
#include "protocol/MenuLayout.h"
#include "protocol/TrayDispatcher.h"
#include "protocol/TrayFrontend.h"
#include "protocol/TrayStateDecoder.h"
#include "protocol/TrayStateValidation.h"
#include "protocol/UnicodeText.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <set>
#include <vector>

namespace corvane::fuzz {
namespace {

constexpr std::size_t npos = std::string::npos;

// ---- Event lines -------------------------------------------------------------------------------------

class RecordingSink final : public EventSink {
public:
    void emit(std::string_view name, const EventPayload& payload) override
    {
        lines.push_back(encodeEventLine(name, payload));
    }

    std::vector<std::string> lines;
};

// The parsed event line (checkEventLine has passed).
nlohmann::ordered_json parseEvent(std::string_view line)
{
    return nlohmann::ordered_json::parse(line.substr(0, line.size() - 1), nullptr, false);
}

std::string eventName(std::string_view line)
{
    return parseEvent(line).at("event").get<std::string>();
}

// Checks every line from `first` on; answers the first problem.
std::string checkEventLines(const std::vector<std::string>& lines, std::size_t first)
{
    for (std::size_t index = first; index < lines.size(); ++index) {
        if (std::string broken = checkEventLine(lines[index]); !broken.empty()) {
            return broken + ": " + lines[index];
        }
    }
    return {};
}

// ---- Framer ------------------------------------------------------------------------------------------

// The chunk language: one operation byte, then its operand. Low two bits: 0 = the next n bytes, 1 = the
// next 64n bytes, 2 = all remaining bytes, 3 = 1024n copies of the next byte (so one input reaches and
// passes the line cap); n = (operation >> 2) + 1, from 1 to 64.
std::string nextChunk(std::string_view& input)
{
    const auto operation = static_cast<unsigned char>(input.front());
    input.remove_prefix(1);
    const std::size_t n = (operation >> 2) + 1;
    std::size_t take = 0;
    switch (operation & 3) {
    case 0:
        take = n;
        break;
    case 1:
        take = 64 * n;
        break;
    case 2:
        take = input.size();
        break;
    default: {
        const char byte = input.empty() ? '\n' : input.front();
        input.remove_prefix(input.empty() ? 0 : 1);
        return std::string(1024 * n, byte);
    }
    }
    take = std::min(take, input.size());
    std::string chunk(input.substr(0, take));
    input.remove_prefix(take);
    return chunk;
}

// ---- Tray states -------------------------------------------------------------------------------------

bool sameRows(const std::vector<MenuEntry>& left, const std::vector<MenuEntry>& right);

bool sameEntry(const MenuEntry& left, const MenuEntry& right)
{
    if (left.id != right.id || left.text != right.text || left.enabled != right.enabled ||
        left.action != right.action || left.separator != right.separator ||
        left.children.has_value() != right.children.has_value()) {
        return false;
    }
    return !left.children || sameRows(*left.children, *right.children);
}

bool sameRows(const std::vector<MenuEntry>& left, const std::vector<MenuEntry>& right)
{
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t index = 0; index < left.size(); ++index) {
        if (!sameEntry(left[index], right[index])) {
            return false;
        }
    }
    return true;
}

bool sameState(const TrayState& left, const TrayState& right)
{
    return left.status == right.status && left.iconStatus == right.iconStatus && left.tooltip == right.tooltip &&
           sameRows(left.menu, right.menu);
}

nlohmann::json rowsJson(const std::vector<MenuEntry>& rows)
{
    nlohmann::json array = nlohmann::json::array();
    for (const MenuEntry& entry : rows) {
        nlohmann::json row = {{"id", entry.id}, {"text", entry.text}, {"enabled", entry.enabled}};
        if (entry.action) {
            row["action"] = *entry.action;
        }
        if (entry.separator) {
            row["separator"] = *entry.separator;
        }
        if (entry.children) {
            row["children"] = rowsJson(*entry.children);
        }
        array.push_back(std::move(row));
    }
    return array;
}

std::string stateText(const TrayState& state)
{
    const nlohmann::json value = {{"status", state.status},
                                  {"iconStatus", state.iconStatus},
                                  {"tooltip", state.tooltip},
                                  {"menu", rowsJson(state.menu)}};
    return value.dump();
}

// The validity rules written out again, independently of TrayStateValidation, in the same order.
std::optional<TrayStateRule> referenceRule(const TrayState& state)
{
    static const std::set<std::string> words = {"ready", "partial", "suspended", "busy", "stopped"};
    if (!words.contains(state.status)) {
        return TrayStateRule::KnownStatus;
    }
    if (!words.contains(state.iconStatus)) {
        return TrayStateRule::KnownIconStatus;
    }
    if (state.menu.empty() || state.menu.size() > 20) {
        return TrayStateRule::TopLevelRowCount;
    }
    std::vector<const MenuEntry*> entries;
    for (const MenuEntry& row : state.menu) {
        entries.push_back(&row);
        if (row.children) {
            for (const MenuEntry& child : *row.children) {
                entries.push_back(&child);
            }
        }
    }
    if (entries.size() > 32) {
        return TrayStateRule::EntryCount;
    }
    std::set<std::string> ids;
    for (const MenuEntry* entry : entries) {
        if (!ids.insert(canonicalForm(entry->id)).second) {
            return TrayStateRule::UniqueIds;
        }
    }
    for (const MenuEntry* entry : entries) {
        if (entry->id.empty() || entry->id.size() > 64) {
            return TrayStateRule::IdLength;
        }
    }
    for (const MenuEntry& row : state.menu) {
        if (!row.children || row.children->empty()) {
            continue;
        }
        if (row.separator.value_or(false) || (row.action && !row.action->empty())) {
            return TrayStateRule::ParentShape;
        }
        for (const MenuEntry& child : *row.children) {
            if (child.children && !child.children->empty()) {
                return TrayStateRule::ParentShape;
            }
        }
    }
    return std::nullopt;
}

// firstCharacters answers a prefix of its text that grows with the count and is all of it once the count
// reaches the byte length; ASCII without carriage returns is one character per byte.
std::string checkFirstCharacters(std::string_view text)
{
    std::string_view previous = text.substr(0, 0);
    for (const std::size_t count : {std::size_t{0}, std::size_t{1}, std::size_t{64}, std::size_t{360}}) {
        const std::string_view cut = firstCharacters(text, count);
        if (cut.data() != text.data() || cut.size() > text.size()) {
            return "firstCharacters answered something that is not a prefix";
        }
        if (cut.size() < previous.size() || (count == 0 && !cut.empty())) {
            return "firstCharacters shrank as the count grew";
        }
        if (count >= text.size() && cut.size() != text.size()) {
            return "firstCharacters cut a text with fewer characters than the count";
        }
        const bool plainAscii = std::all_of(text.begin(), text.end(), [](char byte) {
            return static_cast<unsigned char>(byte) < 0x80 && byte != '\r';
        });
        if (plainAscii && cut.size() != std::min(count, text.size())) {
            return "firstCharacters miscounted plain ASCII";
        }
        previous = cut;
    }
    return {};
}

// ---- Form dispatcher ---------------------------------------------------------------------------------

enum class FormCall { None, Build, Result, Close, Submit };

class MemoryForm final : public FormFrontend {
public:
    bool formShown() const override { return m_shown; }
    void buildForm(bool setup, const std::string& projectRoot) override
    {
        record(FormCall::Build);
        if (m_shown) {
            broken = "buildForm while a form is shown";
        }
        m_shown = true;
        setupMode = setup;
        root = projectRoot;
    }
    void showResult(FormPhase phase, const std::string& message) override
    {
        record(FormCall::Result);
        requireShown();
        m_enabled = phase == FormPhase::Error;
        shownMessage = message;
    }
    bool keyFieldEnabled() const override { return m_enabled; }
    void requestClose() override
    {
        record(FormCall::Close);
        requireShown();
    }
    void submitKey(const std::string& accessKey) override
    {
        record(FormCall::Submit);
        requireShown();
        m_enabled = false;
        key = accessKey;
    }

    int calls = 0;
    FormCall last = FormCall::None;
    std::string broken;
    bool setupMode = false;
    std::string root;
    std::string shownMessage;
    std::string key;

private:
    void record(FormCall call)
    {
        ++calls;
        last = call;
    }
    void requireShown()
    {
        if (!m_shown) {
            broken = "a form call without a form";
        }
    }

    bool m_shown = false;
    bool m_enabled = true;
};

std::string checkFormLine(std::string_view line, bool smoke, MemoryForm& form, const RecordingSink& sink,
                          int callsBefore, std::size_t eventsBefore)
{
    if (!form.broken.empty()) {
        return form.broken;
    }
    const std::size_t events = sink.lines.size() - eventsBefore;
    if (events > 1) {
        return "more than one event for one line";
    }
    if (std::string broken = checkEventLines(sink.lines, eventsBefore); !broken.empty()) {
        return broken;
    }
    const int calls = form.calls - callsBefore;
    const bool refused = events == 1 && eventName(sink.lines.back()) == "protocol-error";
    if (refused != (calls == 0) || calls > 1) {
        return "a line must be refused or make exactly one form call";
    }
    if (refused) {
        return {};
    }
    const nlohmann::json message = *parseJson(line);
    const nlohmann::ordered_json event = events == 1 ? parseEvent(sink.lines.back()) : nlohmann::ordered_json();
    switch (form.last) {
    case FormCall::Build: {
        const std::string& mode = message.at("mode").get_ref<const std::string&>();
        if (form.root != message.at("projectRoot").get<std::string>() || form.root.size() > maxProjectRootBytes ||
            form.setupMode != (mode == "setup")) {
            return "the form was built with other values than the line's";
        }
        if (smoke != (events == 1) ||
            (smoke && (event.at("event") != "form-presented" || event.at("mode") != mode || event.size() != 2))) {
            return "wrong reply to an accepted form message";
        }
        return {};
    }
    case FormCall::Result: {
        const std::string& text = message.at("message").get_ref<const std::string&>();
        if (!text.starts_with(form.shownMessage) ||
            (text.size() <= maxFormMessageCharacters && form.shownMessage != text)) {
            return "the shown message is not the line's message cut by characters";
        }
        if (smoke != (events == 1) ||
            (smoke &&
             (event.at("event") != "form-updated" || event.at("phase") != message.at("phase").get<std::string>() ||
              event.at("inputEnabled") != form.keyFieldEnabled() || event.size() != 3))) {
            return "wrong reply to an accepted form result";
        }
        return {};
    }
    case FormCall::Close:
    case FormCall::Submit:
        if (!smoke || events != 0) {
            return "a form exercise outside a smoke run, or one that emitted an event";
        }
        if (form.last == FormCall::Submit && form.key != message.at("accessKey").get<std::string>()) {
            return "submitted another key than the line's";
        }
        return {};
    case FormCall::None:
        break;
    }
    return "accepted a line without a form call";
}

// ---- Tray dispatcher ---------------------------------------------------------------------------------

class MemoryTray final : public TrayFrontend {
public:
    explicit MemoryTray(EventSink& events) : m_events(events) {}

    void apply(const TrayState& state) override
    {
        ++applies;
        if (!isValidTrayState(state) || referenceRule(state)) {
            broken = "apply got a state that breaks a rule";
        }
        shown = state;
    }

    // As the status item does: rows that are not separators, by canonical id; disabled rows are not
    // picked; a picked row with an action reports it.
    bool exerciseMenu(std::string_view id) override
    {
        if (!shown) {
            return false;
        }
        const std::string wanted = canonicalForm(id);
        for (const MenuEntry* entry : shown->entryViews()) {
            if (entry->isSeparator() || canonicalForm(entry->id) != wanted) {
                continue;
            }
            if (!entry->enabled) {
                return false;
            }
            ++exercised;
            pickedAction = entry->actionOrEmpty();
            if (!pickedAction.empty()) {
                m_events.emit("menu", {{"action", pickedAction}});
            }
            return true;
        }
        return false;
    }

    int applies = 0;
    int exercised = 0;
    std::optional<TrayState> shown;
    std::string pickedAction;
    std::string broken;

private:
    EventSink& m_events;
};

std::string checkTrayLine(bool smoke, const MemoryTray& tray, const RecordingSink& sink, int appliesBefore,
                          int exercisedBefore, std::size_t eventsBefore)
{
    if (!tray.broken.empty()) {
        return tray.broken;
    }
    const std::size_t events = sink.lines.size() - eventsBefore;
    if (events > 1) {
        return "more than one event for one line";
    }
    if (std::string broken = checkEventLines(sink.lines, eventsBefore); !broken.empty()) {
        return broken;
    }
    const int applies = tray.applies - appliesBefore;
    const int exercised = tray.exercised - exercisedBefore;
    if (applies + exercised > 1 || (!smoke && exercised != 0)) {
        return "one line did more than one thing";
    }
    const std::string name = events == 1 ? eventName(sink.lines.back()) : std::string();
    if ((name == "protocol-error") != (applies + exercised == 0)) {
        return "a line must be refused or applied or exercised";
    }
    if (applies == 1) {
        if (smoke != (name == "state-applied")) {
            return "state-applied must follow every applied state in a smoke run, and only there";
        }
        if (smoke && parseEvent(sink.lines.back()).at("status") != tray.shown->status) {
            return "state-applied names another status";
        }
    }
    if (exercised == 1) {
        const bool reported = name == "menu";
        if (reported != !tray.pickedAction.empty() ||
            (reported && parseEvent(sink.lines.back()).at("action") != tray.pickedAction)) {
            return "an exercised row must report exactly its action";
        }
    }
    return {};
}

// The lines of a transcript: every piece between line feeds, the unterminated last one included, none over
// the cap (the framer never delivers such a line).
std::vector<std::string_view> transcriptLines(std::string_view input)
{
    std::vector<std::string_view> lines;
    while (!input.empty()) {
        const std::size_t end = std::min(input.find('\n'), input.size());
        if (end <= maxLineBytes) {
            lines.push_back(input.substr(0, end));
        }
        input.remove_prefix(std::min(end + 1, input.size()));
    }
    return lines;
}

constexpr std::array<Target, 4> allTargets = {{
    {"line_framer", runLineFramer},
    {"tray_state", runTrayState},
    {"form_dispatcher", runFormDispatcher},
    {"tray_dispatcher", runTrayDispatcher},
}};

} // namespace

std::span<const Target> targets()
{
    return allTargets;
}

Harness harness(std::string_view name)
{
    for (const Target& target : allTargets) {
        if (target.name == name) {
            return target.run;
        }
    }
    return nullptr;
}

std::string checkEventLine(std::string_view line)
{
    if (line.empty() || line.back() != '\n') {
        return "no line feed at the end";
    }
    if (line.find('\n') != line.size() - 1) {
        return "a line feed inside the line";
    }
    const nlohmann::ordered_json value = parseEvent(line);
    if (value.is_discarded() || !value.is_object()) {
        return "not a JSON object";
    }
    const auto name = value.find("event");
    if (name == value.end() || !name->is_string()) {
        return "no event name";
    }
    EventPayload payload;
    const std::string* previous = nullptr;
    for (const auto& [key, member] : value.items()) {
        if (previous && !(*previous < key)) {
            return "keys not in sorted order";
        }
        previous = &key;
        if (member.is_string()) {
            payload.emplace(key, member.get<std::string>());
        } else if (member.is_boolean()) {
            payload.emplace(key, member.get<bool>());
        } else if (member.is_null()) {
            payload.emplace(key, nullptr);
        } else {
            return "a value that is not a string, boolean or null";
        }
    }
    // The writer's own form of what was read: catches duplicate keys and any other spelling.
    if (encodeEventLine(name->get<std::string>(), payload) != line) {
        return "not in the writer's canonical form";
    }
    return {};
}

std::string runLineFramer(std::string_view input)
{
    constexpr std::size_t feedLimit = 8 * maxLineBytes;
    LineFramer framer;
    std::string fed;
    std::size_t consumed = 0;
    std::string broken;
    const LineFramer::Deliver deliver = [&](std::string&& line) {
        if (!broken.empty()) {
            return;
        }
        if (line.size() > maxLineBytes) {
            broken = "delivered a line over the cap";
        } else if (line.find('\n') != npos) {
            broken = "delivered a line holding a line feed";
        } else if (consumed + line.size() >= fed.size() || fed.compare(consumed, line.size(), line) != 0 ||
                   fed[consumed + line.size()] != '\n') {
            broken = "delivered lines plus line feeds are not the consumed prefix of the stream";
        } else {
            consumed += line.size() + 1;
        }
    };
    while (!input.empty() && fed.size() <= feedLimit) {
        const std::string chunk = nextChunk(input);
        fed += chunk;
        const LineFramer::Result result = framer.feed(chunk, deliver);
        if (!broken.empty()) {
            return broken;
        }
        const std::string_view rest = std::string_view(fed).substr(consumed);
        const std::size_t lineFeed = rest.find('\n');
        if (result == LineFramer::Result::Overlong) {
            if ((lineFeed == npos ? rest.size() : lineFeed) <= maxLineBytes) {
                return "refused a stream whose next line fits";
            }
            if (framer.pendingBytes() != 0) {
                return "kept bytes after refusing";
            }
            return {};
        }
        if (lineFeed != npos) {
            return "held back a complete line";
        }
        if (rest.size() > maxLineBytes) {
            return "kept waiting on an over-long line";
        }
        if (framer.pendingBytes() != rest.size()) {
            return "pending count differs from the bytes not delivered";
        }
    }
    return {};
}

std::string runTrayState(std::string_view input)
{
    if (input.size() > maxLineBytes) {
        return {};
    }
    const TrayLine line = decodeTrayLine(input);
    const std::optional<nlohmann::json> value = parseJson(input);
    if (!value) {
        if (line.state || line.exerciseMenu) {
            return "decoded a text that does not parse";
        }
        return {};
    }
    // The parsed value written out again holds each key of an object once (the last one), in another order
    // and with other escapes and numbers: it must decode to the same. Writing out is recursive, so only for
    // texts of modest nesting (the count of brackets bounds it).
    constexpr std::ptrdiff_t maxWrittenBrackets = 1024;
    if (std::count_if(input.begin(), input.end(), [](char byte) { return byte == '[' || byte == '{'; }) <=
        maxWrittenBrackets) {
        const TrayLine once = decodeTrayLine(value->dump());
        if (line.state.has_value() != once.state.has_value() || (once.state && !sameState(*once.state, *line.state))) {
            return "decoding the text and its parsed value written out again differ";
        }
        if (line.exerciseMenu != once.exerciseMenu) {
            return "the text and its parsed value written out again have another exerciseMenu";
        }
    }
    const std::string* exercise = findString(*value, "exerciseMenu");
    if (line.exerciseMenu.has_value() != (exercise != nullptr) || (exercise && *exercise != *line.exerciseMenu)) {
        return "decoding the text and parsing it find another exerciseMenu";
    }
    const std::optional<TrayState>& state = line.state;
    if (!state) {
        return {};
    }
    if (const std::optional<TrayState> again = decodeTrayState(std::string_view(stateText(*state)));
        !again || !sameState(*again, *state)) {
        return "a decoded state does not survive being written and decoded again";
    }
    const std::optional<TrayStateRule> rule = firstBrokenRule(*state);
    if (rule != referenceRule(*state)) {
        return "firstBrokenRule and the rules written out again disagree";
    }
    if (rule) {
        return {};
    }
    const std::vector<const MenuEntry*> entries = state->entryViews();
    if (state->menu.empty() || state->menu.size() > maxTopLevelRows || entries.size() > maxEntries) {
        return "accepted a state with too many or too few rows";
    }
    for (const MenuEntry* entry : entries) {
        if (entry->id.empty() || entry->id.size() > maxIdBytes) {
            return "accepted an id of 0 or over 64 bytes";
        }
        if (entry->children && std::any_of(entry->children->begin(), entry->children->end(),
                                           [](const MenuEntry& child) { return child.hasChildren(); })) {
            return "accepted a row with grandchildren";
        }
        if (std::string broken = checkFirstCharacters(entry->text); !broken.empty()) {
            return broken;
        }
    }
    if (std::string broken = checkFirstCharacters(state->tooltip); !broken.empty()) {
        return broken;
    }
    const MenuLayout layout = menuLayout(*state);
    if (layout.size() != entries.size()) {
        return "the layout has another number of keys than the state has entries";
    }
    for (std::size_t index = 0; index < layout.size(); ++index) {
        if (layout[index].canonicalId != canonicalForm(entries[index]->id)) {
            return "a layout key does not hold its entry's canonical id";
        }
    }
    return {};
}

std::string runFormDispatcher(std::string_view input)
{
    const bool smoke = !input.empty() && (static_cast<unsigned char>(input.front()) & 1) != 0;
    RecordingSink sink;
    MemoryForm form;
    FormDispatcher dispatcher(form, sink, smoke);
    for (const std::string_view line : transcriptLines(input)) {
        const int callsBefore = form.calls;
        const std::size_t eventsBefore = sink.lines.size();
        dispatcher.receive(line);
        if (std::string broken = checkFormLine(line, smoke, form, sink, callsBefore, eventsBefore); !broken.empty()) {
            return broken;
        }
    }
    return {};
}

std::string runTrayDispatcher(std::string_view input)
{
    const bool smoke = !input.empty() && (static_cast<unsigned char>(input.front()) & 1) != 0;
    RecordingSink sink;
    MemoryTray tray(sink);
    TrayDispatcher dispatcher(tray, sink, smoke);
    for (const std::string_view line : transcriptLines(input)) {
        const int appliesBefore = tray.applies;
        const int exercisedBefore = tray.exercised;
        const std::size_t eventsBefore = sink.lines.size();
        dispatcher.receive(line);
        if (std::string broken = checkTrayLine(smoke, tray, sink, appliesBefore, exercisedBefore, eventsBefore);
            !broken.empty()) {
            return broken;
        }
    }
    return {};
}

} // namespace corvane::fuzz
