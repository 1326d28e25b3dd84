#include "uScriptSync.h"

#include <algorithm>
#include <cstring>

#include "AsciiCase.h"
#include "PluginResult.h"
#include "uPropertyNumbers.h"
#include "uPropertyRows.h"

std::optional<std::string> GenerateScriptText(embSaveMemoryFileFn saveMemoryFile, const char *header,
                                              const ParticleSystem &record, std::size_t initialSize)
{
    if (!saveMemoryFile)
        return std::nullopt;
    std::size_t size = initialSize > 0 ? initialSize : kScriptMemoryBufferSize;
    while (size <= kMaxScriptTextSize) {
        std::vector<char> buffer(size, '\0');
        if (!PluginYes(saveMemoryFile(buffer.data(), static_cast<int32_t>(size), header, &record)))
            return std::nullopt;
        // The manager cuts a text that does not fit and then leaves no NUL.
        if (const void *end = std::memchr(buffer.data(), '\0', size))
            return std::string(buffer.data(),
                               static_cast<std::size_t>(static_cast<const char *>(end) - buffer.data()));
        size *= 2;
    }
    return std::nullopt;
}

std::string JoinLinesCrLf(const std::string &text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out += "\r\n";
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string ToPaneText(const std::string &text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            out.push_back('\n');
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

std::optional<OverlongText> FindOverlongText(std::string_view script)
{
    auto isSeparator = [](char c) { return static_cast<signed char>(c) <= 0x20; };
    auto isSingle = [](char c) {
        return c == '{' || c == '}' || c == '(' || c == ')' || c == '\'' || c == ':';
    };
    int line = 1;
    std::size_t i = 0;
    auto skipTo = [&](std::size_t end) {
        for (; i < end; ++i)
            line += script[i] == '\n';
    };
    while (i < script.size()) {
        const char c = script[i];
        if (isSeparator(c)) {
            skipTo(i + 1);
            continue;
        }
        if ((c == '/' || c == '\\') && i + 1 < script.size() && script[i + 1] == c) {
            const std::size_t end = script.find('\n', i);
            skipTo(end == std::string_view::npos ? script.size() : end);
            continue;
        }
        if (isSingle(c)) {
            ++i;
            continue;
        }
        const int startLine = line;
        std::size_t start = i;
        std::size_t end = i;
        if (c == '"') {
            start = i + 1;
            end = script.find('"', start);
            if (end == std::string_view::npos)
                end = script.size();
            skipTo(std::min(end + 1, script.size()));
        } else {
            while (end < script.size() && !isSeparator(script[end]) && !isSingle(script[end]))
                ++end;
            skipTo(end);
        }
        if (end - start > static_cast<std::size_t>(kMaxTextLength))
            return OverlongText{startLine, end - start};
    }
    return std::nullopt;
}

std::string OverlongTextMessage(const OverlongText &found)
{
    return "Line " + std::to_string(found.line) + " holds a text of " + std::to_string(found.bytes) +
           " bytes, but a text can hold at most " + std::to_string(kMaxTextLength) +
           " bytes.\r\nThe script was not applied; shorten the text and try again.";
}

std::string SaveToMemoryFailedMessage(const std::string &managerFileName)
{
    return "Failed to save particles to memory.\r\nManager: " + managerFileName;
}

std::string LoadFromMemoryFailedMessage(const std::string &managerFileName)
{
    return "Failed to load particles from memory.\r\nManager: " + managerFileName;
}

ScriptSync::ScriptSync(DocumentSyncState state, ParticleSystem &record, ParticleSystem &defaults,
                       ScriptPaneView &view, RendererCalls &renderer)
    : state_(state), record_(record), defaults_(defaults), view_(view), renderer_(renderer)
{
}

void ScriptSync::ScriptEditorChange()
{
    state_.scriptModified = true;
}

void ScriptSync::ShowScriptText(const std::string &text)
{
    view_.SetPaneText(ToPaneText(text));
    state_.scriptModified = false;
}

void ScriptSync::TabChanged(int newIndex)
{
    if (newIndex == kScriptTab && state_.recordModified) {
        state_.recordModified = false;
        RegenerateScript();
    } else if (newIndex == kPropertiesTab && state_.scriptModified) {
        state_.scriptModified = false;
        ApplyScript();
    }
}

bool ScriptSync::RegenerateScript()
{
    const std::string header = header_ ? header_() : std::string();
    std::optional<std::string> text;
    if (manager_)
        text = GenerateScriptText(manager_->saveMemoryFile, header.c_str(), record_);
    if (!text) {
        view_.ShowMessage("Error", SaveToMemoryFailedMessage(manager_ ? manager_->fileName : std::string()),
                          MessageIcon::Warning);
        return false;
    }
    ShowScriptText(*text);
    return true;
}

bool ScriptSync::ApplyScript()
{
    const std::string text = JoinLinesCrLf(view_.PaneText());
    // Refused before anything changes: the reader would cut the text, and the
    // record and the pane stay as they are for the user to mend it.
    if (const std::optional<OverlongText> overlong = FindOverlongText(text)) {
        view_.ShowMessage("Error", OverlongTextMessage(*overlong), MessageIcon::Warning);
        state_.scriptModified = true;
        return false;
    }
    state_.documentReady = false;
    view_.SetScriptBackup(text);
    bool loaded = manager_ && manager_->loadMemoryFile &&
                  PluginYes(manager_->loadMemoryFile(text.c_str(), &record_));
    if (!loaded) {
        view_.ShowMessage("Error", LoadFromMemoryFailedMessage(manager_ ? manager_->fileName : std::string()),
                          MessageIcon::Warning);
        return false;
    }
    RefreshAfterLoad();
    state_.scriptModified = false;
    state_.documentReady = true;
    return true;
}

void ScriptSync::Revert()
{
    ShowScriptText(view_.ScriptBackupText());
}

void ScriptSync::RefreshAfterLoad()
{
    renderer_.UpdateParticles(&record_);
    if (manager_ && manager_->getDefaults)
        manager_->getDefaults(&defaults_);
    const std::vector<std::string> names = TypeNames(record_);
    view_.FillTypeList(names);
    const std::string_view mainType = RecordText(record_.maintype);
    bool found = false;
    for (const std::string &name : names)
        found = found || EqualIgnoringAsciiCase(name, mainType);
    if (!found)
        view_.ShowMessage("Warning", kMainTypeNotDefined, MessageIcon::Warning);
    view_.FillInspector(0);
    if (manager_)
        view_.SetManagerTitle(manager_->title);
    state_.recordModified = false;
    state_.documentReady = true;
}
