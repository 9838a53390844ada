// The unattended scenario as data. Pure.
#include "SmokeScenario.h"

#include "Controller.h"

namespace corvane::demo {
namespace {

using nlohmann::json;

SmokeStep::Send pick(const char* id)
{
    return {"tray", json{{"exerciseMenu", id}}.dump()};
}

SmokeStep::Send exerciseForm(const char* key, const char* value)
{
    return {"form", json{{"type", "exercise-form"}, {key, value}}.dump()};
}

Expectation tray(const char* event, json members = json::object())
{
    return Expectation::event("tray", event, std::move(members));
}

Expectation form(const char* event, json members = json::object())
{
    return Expectation::event("form", event, std::move(members));
}

json updated(const char* phase, bool inputEnabled)
{
    return {{"phase", phase}, {"inputEnabled", inputEnabled}};
}

} // namespace

std::vector<SmokeStep> smokeScenario(bool snapshots)
{
    std::vector<SmokeStep> steps = {
        {"self-test, then the tray comes up busy and connects",
         {},
         {Expectation::event("check", "self-test", {{"passed", true}}), Expectation::exit("check", 0), tray("ready"),
          tray("tray-visible"), tray("state-applied", {{"status", "busy"}}),
          tray("state-applied", {{"status", "ready"}})}},
        {"snapshot of the tray", SmokeStep::Snapshot{"tray"}, {Expectation::exit("snap", 0)}},
        {"暂停 pauses",
         pick("pause"),
         {tray("menu", {{"action", "pause"}}), tray("state-applied", {{"status", "suspended"}})}},
        {"继续 resumes",
         pick("pause"),
         {tray("menu", {{"action", "resume"}}), tray("state-applied", {{"status", "ready"}})}},
        {"a disabled row cannot be picked: refused, nothing changes", pick("status"), {tray("protocol-error")}},
        {"a row in the submenu", pick("open-logs"), {tray("menu", {{"action", "open-logs"}})}},
        {"设置 Access Key… opens the form",
         pick("access-key"),
         {tray("menu", {{"action", "access-key"}}), form("ready"), form("form-presented", {{"mode", "setup"}}),
          form("form-visible")}},
        {"a wrong key: busy, then an error",
         exerciseForm("accessKey", "wrong-key"),
         {form("submit", {{"accessKey", "wrong-key"}}), form("form-updated", updated("busy", false)),
          form("form-updated", updated("error", true))}},
        {"snapshot of the form", SmokeStep::Snapshot{"form"}, {Expectation::exit("snap", 0)}},
        {"the right key: busy, then success, and the tray shows the key",
         exerciseForm("accessKey", demoAccessKey),
         {form("submit", {{"accessKey", demoAccessKey}}), form("form-updated", updated("busy", false)),
          form("form-updated", updated("success", false)), tray("state-applied", {{"status", "ready"}})}},
        {"完成 closes the form", exerciseForm("action", "cancel"), {form("cancel"), Expectation::exit("form", 0)}},
        {"选择项目目录… runs the folder chooser (a smoke run closes it after a second)",
         pick("choose-folder"),
         {tray("menu", {{"action", "choose-folder"}}),
          Expectation::event("folder", "folder-result",
                             {{"projectRoot", nullptr}, {"visible", true}, {"canCreateDirectories", true}}),
          Expectation::exit("folder", 0)}},
        {"退出 ends every child", pick("quit"), {tray("menu", {{"action", "quit"}}), Expectation::exit("tray", 0)}},
    };
    if (!snapshots) {
        std::erase_if(steps,
                      [](const SmokeStep& step) { return std::holds_alternative<SmokeStep::Snapshot>(step.action); });
    }
    return steps;
}

} // namespace corvane::demo
