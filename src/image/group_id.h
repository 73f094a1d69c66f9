#pragma once

#include <array>
#include <optional>
#include <string>

struct ParameterImage;

// One group of the parameter set: the system setup, the advanced parameters, PID group
// 1..9 or program pattern 1..9. The summary, the transfers' notes, the listing, Compare
// and the report all name groups this way.
class GroupId {
public:
    enum class Kind { SystemSetup, Advanced, PidGroup, Pattern };

    constexpr GroupId() : GroupId(Kind::SystemSetup, 0) {}

    static constexpr GroupId SystemSetup() { return GroupId(Kind::SystemSetup, 0); }
    static constexpr GroupId Advanced() { return GroupId(Kind::Advanced, 0); }
    static constexpr GroupId Pid(int g) { return GroupId(Kind::PidGroup, g); }    // 1..9
    static constexpr GroupId Pattern(int n) { return GroupId(Kind::Pattern, n); } // 1..9

    constexpr Kind kind() const { return m_kind; }
    // The PID group or pattern number, 1..9; 0 for the other two groups.
    constexpr int number() const { return m_number; }

    // The group's place in the summary's order, 0..19: system setup, advanced, PID groups
    // 1..9, patterns 1..9.
    constexpr int Index() const {
        switch (m_kind) {
        case Kind::SystemSetup:
            return 0;
        case Kind::Advanced:
            return 1;
        case Kind::PidGroup:
            return 1 + m_number;
        case Kind::Pattern:
            return 10 + m_number;
        }
        return 0;
    }
    static constexpr GroupId FromIndex(int index) {
        return index == 0   ? SystemSetup()
               : index == 1 ? Advanced()
               : index < 11 ? Pid(index - 1)
                            : Pattern(index - 10);
    }

    constexpr bool operator==(const GroupId& o) const {
        return m_kind == o.m_kind && m_number == o.m_number;
    }
    constexpr bool operator!=(const GroupId& o) const { return !(*this == o); }
    constexpr bool operator<(const GroupId& o) const { return Index() < o.Index(); }

private:
    constexpr GroupId(Kind kind, int number) : m_kind(kind), m_number(number) {}

    Kind m_kind;
    int m_number;
};

constexpr int kGroupCount = 20;

// Every group, in the summary's order.
std::array<GroupId, kGroupCount> AllGroups();

// The group as the Parameter setting menu names it, with its window's title where that
// says something else: "Setting up (SYSTEM PARAMETER)", "Advanced usage (EXPERT
// PARAMETER)", "PID group 3", "Program pattern 7". Every window and message names groups
// so.
std::string GroupTitle(GroupId group);
// The group as tqxctl names it on its command line: "system", "advanced", "pid 3",
// "pattern 7".
std::string GroupCommandName(GroupId group);
std::optional<GroupId> GroupOfCommandName(const std::string& name);

// The group's records are equal in both sets.
bool SameGroup(const ParameterImage& a, const ParameterImage& b, GroupId group);
// Copies the group's records from one set to the other.
void CopyGroup(const ParameterImage& from, ParameterImage& to, GroupId group);
