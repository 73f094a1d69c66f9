#include "history/history_chain.h"

#include <algorithm>
#include <set>

namespace {

class Payload {
public:
    explicit Payload(const Digest& previous, int64_t previousRef, const char* kind) {
        m_hash.Add(previous);
        Text(kind);
        Number(previousRef);
    }
    Payload& Number(int64_t value) {
        uint8_t bytes[8];
        for (int i = 0; i < 8; ++i)
            bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
        m_hash.Add(bytes, 8);
        return *this;
    }
    // Length first, so that no two sequences of texts run together alike.
    Payload& Text(const std::string& text) {
        Number(static_cast<int64_t>(text.size()));
        m_hash.Add(text);
        return *this;
    }
    Payload& Bytes(const Digest& digest) {
        m_hash.Add(digest);
        return *this;
    }
    Digest Finish() { return m_hash.Finish(); }

private:
    Sha256 m_hash;
};

} // namespace

std::string LinkName(int64_t ref) {
    if (ref == kChainStart)
        return "the start of the chain";
    return ref > 0 ? "snapshot " + std::to_string(ref) : "event " + std::to_string(-ref);
}

Digest SetDigest(int format, const std::vector<uint8_t>& bytes) {
    const uint8_t number = static_cast<uint8_t>(format);
    return Sha256().Add(&number, 1).Add(bytes).Finish();
}

Digest BlockSetDigest(const std::vector<BlockDigest>& blocks) {
    Sha256 hash;
    const uint8_t kBlocks = 0xB1;
    hash.Add(&kBlocks, 1);
    for (const BlockDigest& b : blocks) {
        const uint8_t number[2] = {static_cast<uint8_t>(b.block),
                                   static_cast<uint8_t>(b.block >> 8)};
        hash.Add(number, 2).Add(b.digest);
    }
    return hash.Finish();
}

Digest SnapshotLinkHash(const Digest& previous, int64_t previousRef, const SnapshotEntry& s,
                        const RecordedController& c, const Digest& setDigest) {
    Payload p(previous, previousRef, "snapshot");
    p.Number(s.id).Text(c.portKey).Number(c.unit).Text(c.modelCode);
    p.Text(s.takenUtc).Text(s.user).Text(s.host).Text(s.program).Text(s.keyword);
    p.Number(s.groups).Number(s.sent ? s.sent->Index() : -1).Number(s.verified ? 1 : 0);
    p.Text(s.detail).Bytes(setDigest).Text(s.uid).Text(s.arrival);
    return p.Finish();
}

Digest EventLinkHash(const Digest& previous, int64_t previousRef, const HistoryEvent& e) {
    Payload p(previous, previousRef, "event");
    p.Number(e.id).Text(HistoryEventKeyword(e.kind));
    p.Number(e.snapshotId).Number(e.controllerId).Number(e.otherId).Text(e.text);
    p.Text(e.takenUtc).Text(e.user).Text(e.host).Text(e.program);
    return p.Finish();
}

void ChainChecker::AddLink(int64_t ref, int64_t previousRef, const Digest& stored) {
    m_links[ref] = {previousRef, stored};
}

Digest ChainChecker::PreviousHash(int64_t ref) const {
    const auto link = m_links.find(ref);
    if (link == m_links.end() || link->second.previous == kChainStart)
        return Digest{};
    const auto previous = m_links.find(link->second.previous);
    return previous == m_links.end() ? Digest{} : previous->second.stored;
}

void ChainChecker::Check(int64_t ref, const Digest& computed) {
    const auto link = m_links.find(ref);
    // A link whose predecessor is gone is reported as a removal when the chain is finished.
    if (link == m_links.end() ||
        (link->second.previous != kChainStart && !m_links.count(link->second.previous)))
        return;
    if (link->second.stored != computed && !m_problems.count(ref))
        m_problems[ref] = LinkName(ref) + " was changed after it was recorded";
}

void ChainChecker::Contradiction(int64_t ref, const std::string& what) {
    if (!m_problems.count(ref))
        m_problems[ref] = LinkName(ref) + ": " + what;
}

void ChainChecker::Finish(int64_t headRef, const Digest& headHash, ChainReport& report) {
    // Who names whom as its predecessor.
    std::map<int64_t, std::vector<int64_t>> successors;
    for (const auto& [ref, link] : m_links)
        successors[link.previous].push_back(ref);
    for (const auto& [ref, link] : m_links)
        if (link.previous != kChainStart && !m_links.count(link.previous) && !m_problems.count(ref))
            m_problems[ref] =
                LinkName(link.previous) + " was removed (" + LinkName(ref) + " came after it)";
    for (const auto& [previous, after] : successors)
        for (size_t i = 1; i < after.size(); ++i)
            if (!m_problems.count(after[i]))
                m_problems[after[i]] = LinkName(after[i]) + " was inserted (" + LinkName(previous) +
                                       " already has a successor)";
    const auto head = m_links.find(headRef);
    if (!m_links.empty() || headRef != kChainStart) {
        if (head == m_links.end())
            m_problems[headRef] = LinkName(headRef) + ", the last link recorded, was removed";
        else if (head->second.stored != headHash && !m_problems.count(headRef))
            m_problems[headRef] = LinkName(headRef) + ", the last link, does not end the chain";
        else if (!successors[headRef].empty())
            m_problems[successors[headRef][0]] =
                LinkName(successors[headRef][0]) + " was inserted after the last link recorded";
    }

    // Chain order: back from the head, then every link not on that walk (inserted).
    std::vector<int64_t> order;
    std::set<int64_t> seen;
    for (int64_t at = headRef; at != kChainStart && m_links.count(at) && seen.insert(at).second;
         at = m_links[at].previous)
        order.push_back(at);
    std::reverse(order.begin(), order.end());
    for (const auto& [ref, link] : m_links)
        if (!seen.count(ref))
            order.push_back(ref);
    if (!m_links.count(headRef) && headRef != kChainStart)
        order.push_back(headRef);

    report.problems.clear();
    report.firstBadSnapshot = 0;
    report.problem.clear();
    for (int64_t ref : order) {
        const auto problem = m_problems.find(ref);
        if (problem == m_problems.end())
            continue;
        report.problems.push_back(problem->second);
        if (report.problem.empty())
            report.problem = problem->second;
        if (report.firstBadSnapshot == 0) {
            // A removed link is named by its successor's record; name the removed snapshot.
            const int64_t named = m_links.count(ref) && !m_links.count(m_links[ref].previous) &&
                                          m_links[ref].previous > 0
                                      ? m_links[ref].previous
                                      : ref;
            if (named > 0)
                report.firstBadSnapshot = named;
        }
    }
    report.whole = report.problems.empty();
    report.snapshots =
        std::count_if(m_links.begin(), m_links.end(), [](const auto& l) { return l.first > 0; });
    report.events = static_cast<int64_t>(m_links.size()) - report.snapshots;
    report.lastHash = HexOf(headHash);
}
