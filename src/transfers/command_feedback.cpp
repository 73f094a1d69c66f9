#include "transfers/command_feedback.h"

#include <algorithm>

namespace {

std::string SentText(TransferOutcome outcome) {
    switch (outcome) {
    case TransferOutcome::Verified:
        return "sent and verified";
    case TransferOutcome::Done:
        return "sent";
    case TransferOutcome::Differs:
        return "sent, but reads back other values";
    case TransferOutcome::Failed:
        return "SEND failed";
    case TransferOutcome::Cancelled:
        return "SEND stopped by the operator";
    }
    return "sent";
}

// "PID groups" for a kind with several numbers.
std::string Plural(GroupId::Kind kind) {
    return kind == GroupId::Kind::PidGroup ? "PID groups" : "Program patterns";
}

// Numbers as a list, a run of three or more as "1 to 9".
std::string NumberList(const std::vector<int>& numbers) {
    std::string text;
    for (size_t i = 0; i < numbers.size();) {
        size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        text += text.empty() ? "" : ", ";
        if (j >= i + 2) {
            text += std::to_string(numbers[i]) + " to " + std::to_string(numbers[j]);
        } else {
            text += std::to_string(numbers[i]);
            if (j > i)
                text += ", " + std::to_string(numbers[j]);
        }
        i = j + 1;
    }
    return text;
}

} // namespace

void CommandFeedback::Add(GroupId group, std::string what) {
    // A group noted twice (a RETRIEVE's read, then its SEND) keeps its last word.
    m_notes.erase(std::remove_if(m_notes.begin(), m_notes.end(),
                                 [&](const Note& n) { return n.group == group; }),
                  m_notes.end());
    m_notes.push_back({group, std::move(what)});
}

void CommandFeedback::Retrieved(GroupId group, bool ok) {
    Add(group, ok ? "retrieved" : "RETRIEVE failed");
}

void CommandFeedback::Sent(GroupId group, TransferOutcome outcome) {
    Add(group, SentText(outcome));
}

std::string GroupsPhrase(std::vector<GroupId> groups) {
    std::sort(groups.begin(), groups.end());
    std::string text;
    for (size_t i = 0; i < groups.size();) {
        size_t j = i;
        std::vector<int> numbers{groups[i].number()};
        while (j + 1 < groups.size() && groups[j + 1].kind() == groups[i].kind() &&
               groups[i].number() > 0) {
            ++j;
            numbers.push_back(groups[j].number());
        }
        text += text.empty() ? "" : ", ";
        text += numbers.size() > 1 ? Plural(groups[i].kind()) + " " + NumberList(numbers)
                                   : GroupTitle(groups[i]);
        i = j + 1;
    }
    return text;
}

std::string CommandFeedback::Text(const std::string& title) const {
    if (m_notes.empty())
        return title + " done";
    // One part per outcome, in the order they first came.
    std::vector<std::string> words;
    for (const Note& n : m_notes)
        if (std::find(words.begin(), words.end(), n.what) == words.end())
            words.push_back(n.what);
    std::string text;
    for (const std::string& word : words) {
        std::vector<GroupId> groups;
        for (const Note& n : m_notes)
            if (n.what == word)
                groups.push_back(n.group);
        text += (text.empty() ? "" : "; ") + GroupsPhrase(groups) + " " + word;
    }
    const bool oneKind = std::all_of(m_notes.begin(), m_notes.end(), [&](const Note& n) {
        return n.group.kind() == m_notes.front().group.kind();
    });
    return oneKind ? text : title + ": " + text;
}

std::string StampedFeedback(const std::string& text, const std::string& when) {
    return when.empty() ? text : text + ", " + when.substr(0, 5);
}
