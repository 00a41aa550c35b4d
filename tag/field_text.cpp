#include "tag/field_text.h"

#include <cstring>

#include "tag/cp936.h"
#include "tag/field_rules.h"
#include "tag/file_name.h"

namespace sonatag {

FieldText PrepareFieldText(std::string_view utf8) {
    Cp936Text converted = Utf8ToCp936(TrimWhiteSpace(utf8));
    char field[kFieldSize];
    CopyFieldBytes(field, converted.bytes, kFieldSize);
    const std::size_t kept = ::strnlen(field, kFieldSize);
    return {std::move(converted.bytes), converted.lossy, kept};
}

}  // namespace sonatag
