#pragma once

#include "BatchUi.h"

#include <QStringList>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace tarnwick::test {

enum class UiCallKind {
    Message,
    Ask,
    FolderCaption,
    PanelVisible,
    ExtractingCaption,
    FileNumberCaption,
    FileProgress,
    RecordProgress,
    RecordCount,
};

// One call on the user interface, with what it was given.
struct UiCall {
    UiCallKind Kind = UiCallKind::Message;
    QString Text;        // message, prompt, caption or folder
    QString Title;       // Ask
    QString DefaultText; // Ask
    double Value = 0;    // progress, count, or 1/0 for the panel
    MessageIcon Icon = MessageIcon::None;
    CountedTable Table = CountedTable::Facilities;
};

// Records every call in order; AskText answers from a queue filled by the test.
class ScriptedBatchUi : public BatchUi {
public:
    void ShowMessage(const QString& text, MessageIcon icon) override {
        UiCall& call = Add(UiCallKind::Message);
        call.Text = text;
        call.Icon = icon;
    }
    std::optional<QString> AskText(const QString& prompt, const QString& title,
                                   const QString& defaultAnswer) override {
        UiCall& call = Add(UiCallKind::Ask);
        call.Text = prompt;
        call.Title = title;
        call.DefaultText = defaultAnswer;
        if (Answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << prompt.toStdString();
            return std::nullopt;
        }
        // Moved out whole: GCC 12 warns falsely about a copied optional<QString>.
        const bool cancelled = !Answers.front().has_value();
        QString answer = cancelled ? QString() : *Answers.front();
        Answers.pop_front();
        if (cancelled)
            return std::nullopt;
        return answer;
    }
    // The events, recorded as the window shows them, control by control.
    void FolderChanged(const QString& folder) override {
        Add(UiCallKind::FolderCaption).Text = folder;
    }
    void FileStarting(const FileStep& step) override {
        Add(UiCallKind::PanelVisible).Value = 1;
        Add(UiCallKind::FileNumberCaption).Text = step.FileNumberCaption;
        Add(UiCallKind::ExtractingCaption).Text = step.ExtractingCaption;
        Add(UiCallKind::FileProgress).Value = step.BatchProgress;
    }
    void FileExtracted(const FileStep& step) override {
        Add(UiCallKind::PanelVisible).Value = 1;
        Add(UiCallKind::ExtractingCaption).Text = step.ExtractingCaption;
        Add(UiCallKind::FileNumberCaption).Text = step.FileNumberCaption;
        Add(UiCallKind::FileProgress).Value = step.BatchProgress;
    }
    void BatchFinished(const BatchOutcome&) override { Add(UiCallKind::PanelVisible).Value = 0; }
    void SetRecordProgress(float value) override { Add(UiCallKind::RecordProgress).Value = value; }
    void RecordCounted(CountedTable table, qint64 count) override {
        UiCall& call = Add(UiCallKind::RecordCount);
        call.Table = table;
        call.Value = double(count);
    }
    bool StopRequested() override {
        return StopAfterFiles >= 0 &&
               int(Of(UiCallKind::FileNumberCaption).size()) >= StopAfterFiles;
    }

    std::vector<UiCall> Of(UiCallKind kind) const {
        std::vector<UiCall> found;
        for (const UiCall& call : Calls) {
            if (call.Kind == kind)
                found.push_back(call);
        }
        return found;
    }
    QStringList TextsOf(UiCallKind kind) const {
        QStringList texts;
        for (const UiCall& call : Of(kind))
            texts << call.Text;
        return texts;
    }
    std::vector<double> ValuesOf(UiCallKind kind) const {
        std::vector<double> values;
        for (const UiCall& call : Of(kind))
            values.push_back(call.Value);
        return values;
    }
    // Index of the first call from `from` on that matches, or -1.
    int IndexOf(const std::function<bool(const UiCall&)>& matches, int from = 0) const {
        for (int i = from; i < int(Calls.size()); ++i) {
            if (matches(Calls[std::size_t(i)]))
                return i;
        }
        return -1;
    }

    std::vector<UiCall> Calls;
    std::deque<std::optional<QString>> Answers;
    int StopAfterFiles = -1; // asks to stop once this many files were shown

private:
    UiCall& Add(UiCallKind kind) {
        Calls.emplace_back();
        Calls.back().Kind = kind;
        return Calls.back();
    }
};

} // namespace tarnwick::test
