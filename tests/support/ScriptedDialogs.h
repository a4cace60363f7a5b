#pragma once

#include "gui/Dialogs.h"

#include <QStringList>
#include <deque>
#include <gtest/gtest.h>
#include <vector>

namespace tarnwick {

// Dialogs answered in advance: every dialog is recorded and returns at once. The folder box
// takes its answers from TextAnswers too.
class ScriptedDialogs : public Dialogs {
public:
    struct Message {
        QString Title;
        QString Text;
        MessageIcon Icon;
    };
    struct Question {
        QString Title;
        QString Prompt;
        QString DefaultAnswer;
    };
    struct FileRequest {
        QStringList Filters;
        QString SelectedFilter;
    };

    std::deque<std::optional<QString>> TextAnswers; // std::nullopt answers Cancel
    std::deque<QString> FileChoices;                // an empty text answers Cancel
    std::deque<QString> SaveChoices;                // likewise, for the save dialog
    std::deque<bool> YesNoAnswers;

    std::vector<Message> Messages;
    std::vector<Question> Questions;
    std::vector<FileRequest> FileRequests;
    QStringList YesNoQuestions;
    QStringList SuggestedSavePaths;

    void ShowMessage(QWidget*, const QString& title, const QString& text,
                     MessageIcon icon) override {
        Messages.push_back({title, text, icon});
    }

    std::optional<QString> AskText(QWidget*, const QString& title, const QString& prompt,
                                   const QString& defaultAnswer) override {
        return Answer({title, prompt, defaultAnswer});
    }

    std::optional<QString> AskFolder(QWidget*, const QString& title, const QString& prompt,
                                     const QString& defaultAnswer) override {
        return Answer({title, prompt, defaultAnswer});
    }

    QString ChooseExistingFile(QWidget*, const QStringList& filters,
                               const QString& selectedFilter) override {
        FileRequests.push_back({filters, selectedFilter});
        if (FileChoices.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return QString();
        }
        QString choice = FileChoices.front();
        FileChoices.pop_front();
        return choice;
    }

    bool AskYesNo(QWidget*, const QString&, const QString& question) override {
        YesNoQuestions.push_back(question);
        if (YesNoAnswers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question.toStdString();
            return false;
        }
        const bool answer = YesNoAnswers.front();
        YesNoAnswers.pop_front();
        return answer;
    }

    QString ChooseSaveFile(QWidget*, const QString&, const QString& suggestedPath,
                           const QString&) override {
        SuggestedSavePaths << suggestedPath;
        if (SaveChoices.empty()) {
            ADD_FAILURE() << "unexpected save dialog";
            return QString();
        }
        QString choice = SaveChoices.front();
        SaveChoices.pop_front();
        return choice;
    }

private:
    std::optional<QString> Answer(const Question& question) {
        Questions.push_back(question);
        if (TextAnswers.empty()) {
            ADD_FAILURE() << "unexpected input box: " << question.Prompt.toStdString();
            return std::nullopt;
        }
        // Not a copy of the optional, which GCC takes for possibly uninitialized.
        const bool cancelled = !TextAnswers.front();
        const QString text = TextAnswers.front().value_or(QString());
        TextAnswers.pop_front();
        if (cancelled)
            return std::nullopt;
        return text;
    }
};

} // namespace tarnwick
