// Checking a data block against its template before it is accepted, and cutting it into the
// segments the writers emit.
#pragma once

#include <cstdint>
#include <vector>

#include "xof/data_object.h"
#include "xof/tokens.h"

namespace xof {

// A float or double member holding NaN or an infinity; readers of the format cannot take them.
class NonFiniteError : public FormatError {
 public:
  using FormatError::FormatError;
};

// Checks exact size, zero-terminated strings (which must not hold '"', as text files cannot
// carry it), array counts against the members that name them, and finite floats. Returns the
// block's segments, runs of one type merged. Throws FormatError or NonFiniteError. The reader
// passes forWriting = false: a file read is shown whatever floats and quotes it holds, and only
// writing it again refuses them.
std::vector<DataSegment> ScanDataBlock(const Template& definition, const std::uint8_t* data,
                                       std::size_t size, bool forWriting = true);

// Segments are kept with a block only while they are few beside its bytes: a block of many short
// runs (animation keys: a time and a count, then a few floats, for every key) would hold twice its
// size in segments. Such a block keeps none, and SegmentsOf scans it again as it is written.
void KeepSegmentsIfFew(DataObject& object, std::vector<DataSegment> segments);

// The object's segments, or those of its block scanned again into `scratch` when none were kept.
const std::vector<DataSegment>& SegmentsOf(const DataObject& object,
                                           std::vector<DataSegment>& scratch);

// Whether `name` can name an object or reference in every encoding: no white space, control
// characters, quotes, brackets, separators or comment starts. The empty name is valid (no name).
bool IsValidObjectName(std::string_view name);

}  // namespace xof
