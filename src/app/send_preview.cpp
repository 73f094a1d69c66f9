#include "app/send_preview.h"

#include "files/parameter_file_reader.h"
#include "files/parameter_file_writer.h"
#include "files/value_cell.h"
#include "transfers/restore_procedure.h"
#include "transfers/send_all.h"

std::string StationRefusalOf(const ParameterSet& set) {
    const int stn = set.Image().systemSetup.STN;
    if (FollowableStation(stn))
        return "";
    const ImageSource& source = set.Source();
    const bool asFiled = source.IsFile() &&
                         set.ReferenceOf(GroupId::SystemSetup()).kind == "file" &&
                         set.Reference().systemSetup.STN == stn;
    if (asFiled) {
        const FileCell cell = ValueCellOf(GroupId::SystemSetup(), RowOf(&SystemSetupRecord::STN));
        return StationRefusal(stn, " at " + CellText(cell) + " of file " + source.path);
    }
    return StationRefusal(stn, " of the set from " + SendSourceText(source));
}

bool PutSetOnto(const ParameterImage& set, const ImageSource& source, ParameterImage& onto) {
    if (source.HoldsUnfiledValues()) {
        for (GroupId group : AllGroups())
            CopyGroup(set, onto, group);
        return true;
    }
    RecordingMessages unread;
    return ReadParameterFileText(BuildParameterFileText(set), onto, unread);
}

std::vector<ParameterDifference> OutgoingDifferences(const ParameterImage& outgoing,
                                                     const ParameterImage& held) {
    ListingOptions every;
    every.patternFieldsPerSegment = true;
    return DiffParameters(outgoing, held, every);
}
