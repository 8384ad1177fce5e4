// A text typed into a page's field is kept in the project or options file
// as it was typed; the rules of what those files can hold are the stored
// files' own (project/files/stored_texts.h). A page refuses a text that
// could not be read back when it is left, naming the field, instead of
// letting it be cut when the project is opened again.
#pragma once

#include <string>
#include <string_view>

#include "project/files/stored_texts.h"

namespace pm2 {

// A control's label as a field name: without '&' and a trailing ':'.
std::string FieldNameOfLabel(std::string_view label);

// A text longer than the field's limit, refused whole wherever it comes
// from (typed, pasted, put by the page, given by a peer): "The text of
// 'Define' cannot be longer than 256 characters; it was left as it was."
std::string TooLongRefusal(std::string_view field, int limit);

}  // namespace pm2
