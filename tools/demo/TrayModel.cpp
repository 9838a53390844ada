// Building tray state lines. Pure.
#include "TrayModel.h"

namespace corvane::demo {
namespace {

using nlohmann::json;

json row(const char* id, const std::string& text, bool enabled, const char* action = nullptr)
{
    json entry = {{"id", id}, {"text", text}, {"enabled", enabled}};
    if (action) {
        entry["action"] = action;
    }
    return entry;
}

json separator(const char* id)
{
    return {{"id", id}, {"text", ""}, {"enabled", true}, {"separator", true}};
}

const char* summary(TrayModel::Status status)
{
    switch (status) {
    case TrayModel::Status::Busy:
        return "正在连接…";
    case TrayModel::Status::Ready:
        return "已连接";
    case TrayModel::Status::Suspended:
        return "已暂停";
    }
    return "";
}

} // namespace

const char* TrayModel::word(Status status)
{
    switch (status) {
    case Status::Busy:
        return "busy";
    case Status::Ready:
        return "ready";
    case Status::Suspended:
        return "suspended";
    }
    return "";
}

json TrayModel::state() const
{
    const bool paused = status == Status::Suspended;
    json more = row("more", "更多", true);
    more["children"] = json::array({row("open-logs", "打开日志", true, "open-logs"), separator("sep-more"),
                                    row("about", "关于 Corvane", false, "about")});
    const std::string tooltip = std::string("Corvane ") + summary(status) + "\n项目：" +
                                (projectRoot.empty() ? "（未选择）" : projectRoot) + "\nAccess Key：" +
                                (keySet ? "已设置" : "未设置");
    return {
        {"status", word(status)},
        {"iconStatus", word(status)},
        {"tooltip", tooltip},
        {"menu", json::array({
                     row("status", std::string("Corvane：") + summary(status), false),
                     separator("sep-1"),
                     row("pause", paused ? "继续" : "暂停", status != Status::Busy, paused ? "resume" : "pause"),
                     row("access-key", "设置 Access Key…", true, "access-key"),
                     row("choose-folder", "选择项目目录…", true, "choose-folder"),
                     more,
                     separator("sep-2"),
                     row("quit", "退出", true, "quit"),
                 })},
    };
}

std::string TrayModel::line() const
{
    return state().dump(-1, ' ', false, json::error_handler_t::replace);
}

} // namespace corvane::demo
