#pragma once

#include "history/history_store.h"
#include "history/sha256.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The chain that makes the history tamper-evident. Every snapshot and every event (a note,
// a label, a join, a move) is a link: it names the link before it and carries a SHA-256
// over that link's hash and its own content, metadata included. A link is named by a
// reference: a snapshot by its id, an event by minus its id, the start of the chain by 0.
// A change to any link's record breaks its own hash; a link removed leaves its successor
// naming a link that is not there; one inserted is named by no successor or breaks the
// successor's hash. Rewriting the whole chain from some link on is caught only by a copy
// of the last hash kept elsewhere.

constexpr int64_t kChainStart = 0;
inline int64_t SnapshotRef(int64_t id) {
    return id;
}
inline int64_t EventRef(int64_t id) {
    return -id;
}
// "snapshot 12", "event 3" (a note, label, join or move), "the start of the chain".
std::string LinkName(int64_t ref);

// The digest of a set as the history keeps it: over its format number and its bytes, so
// that a set kept as blocks and the same set kept whole digest alike.
Digest SetDigest(int format, const std::vector<uint8_t>& bytes);
// The digest of a set kept as blocks: over its block numbers and each block's own digest,
// in the set's order, so that no set need be put together byte by byte to be checked.
struct BlockDigest {
    uint16_t block = 0;
    Digest digest{};
};
Digest BlockSetDigest(const std::vector<BlockDigest>& blocks);

// The controller key a snapshot was recorded under, as its link covers it.
struct RecordedController {
    std::string portKey;
    int unit = 0;
    std::string modelCode;
};

// A snapshot's link: over the previous link's hash, its reference, the controller it was
// recorded for, every recorded column but its note and its present controller (events
// carry those), and its set's digest.
Digest SnapshotLinkHash(const Digest& previous, int64_t previousRef, const SnapshotEntry& s,
                        const RecordedController& controller, const Digest& setDigest);
Digest EventLinkHash(const Digest& previous, int64_t previousRef, const HistoryEvent& e);

// Checks a chain link by link, in any order, once every link's reference, predecessor and
// stored hash are known.
class ChainChecker {
public:
    void AddLink(int64_t ref, int64_t previousRef, const Digest& stored);
    // The link's hash as its predecessor's stored hash and its record give it.
    Digest PreviousHash(int64_t ref) const;
    // The record of `ref` hashes to `computed`; a mismatch is noted as changed.
    void Check(int64_t ref, const Digest& computed);
    // A fact of the record that its events contradict ("its note is not the one last set").
    void Contradiction(int64_t ref, const std::string& what);
    // The head the store keeps; then the structure is checked and the report filled.
    void Finish(int64_t headRef, const Digest& headHash, ChainReport& report);

private:
    struct Link {
        int64_t previous = 0;
        Digest stored{};
    };
    std::map<int64_t, Link> m_links;
    std::map<int64_t, std::string> m_problems; // by link
};
