// "Annotation": the text of a note on the drawing.
#pragma once

#include <cstddef>
#include <string>

namespace avelor {

// The "Annotation" dialog.
struct AnnotationForm {
    static constexpr std::size_t kMaxText = 70;
    std::string text;
};

}  // namespace avelor
