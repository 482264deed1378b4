#include "bound_library.h"
#include "commands.h"
#include "encoding.h"
#include "tool_error.h"

namespace {

const BoundLibrary& RequireLibrary(const LibraryBinding& binding) {
    if (!binding.Bound())
        throw ToolError(ExitRefused, binding.failure());
    return binding.library();
}

int Finish(const EncodedImage& encoded, const std::string& output, bool strict, Console& console) {
    for (const std::string& note : encoded.notes)
        console.err << "note: " << note << "\n";
    for (const std::string& lost : encoded.lostEdits)
        console.err << (strict ? "error: " : "warning: ") << lost << "\n";
    if (strict && !encoded.lostEdits.empty())
        throw ToolError(ExitRefused, "not written: the image cannot hold every value as given");
    WriteImageFile(output, encoded.image);
    console.out << "wrote " << output << "\n";
    return ExitSuccess;
}

}  // namespace

int RunEdit(const EditOptions& options, Console& console) {
    const std::vector<FieldEdit> edits = ParseFieldEdits(options.assignments);
    const ProbeImageBytes original = ReadImageFile(options.file);
    const LibraryBinding binding(TypeCharacter(original));
    const EncodedImage encoded = EditImage(RequireLibrary(binding), original, edits, options.mode);
    return Finish(encoded, options.output, options.strict, console);
}

int RunNew(const NewOptions& options, Console& console) {
    const std::vector<FieldEdit> edits = ParseFieldEdits(options.assignments);
    const LibraryBinding binding(TypeCharacterOf(options.type));
    const EncodedImage encoded = NewImage(RequireLibrary(binding), options.type, edits);
    return Finish(encoded, options.output, options.strict, console);
}
