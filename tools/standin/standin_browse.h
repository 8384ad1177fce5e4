// Browse records for the stand-in compilers and linkers: a compiler told
// "BROWSE" writes its object as a module with a browse section read off
// the C source (functions, calls, global data, sfr and sbit, macros, and
// where each is defined and used); the linker joins the sections of its
// input objects into one module in its output.
#pragma once

#include <string>
#include <vector>

namespace standin {

// The object of a C source: a module start, one browse section, a module
// end. `path` is the source's name as the object records it.
std::string BrowseObject(const std::string& path, const std::string& text);

// True when the bytes are an object with a browse section.
bool HasBrowseSection(const std::string& bytes);

// One module holding the browse sections of the objects in their order
// (the first keeps its memory-space names); empty when none has one.
std::string LinkBrowseSections(const std::vector<std::string>& objects);

}  // namespace standin
