// GreyloomHost: runs a filter plug-in on a PNG file from the command line, the way an image
// editor would, and reports what the plug-in asked of the host.

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tools/testhost/host_internal.h"

namespace {
const char kUsage[] =
    "usage: GreyloomHost [options]\n"
    "  --plugin PATH            the .8bf (default: the shipped plug-in of this architecture)\n"
    "  --in PNG --out PNG       image to filter and where to write the result\n"
    "  --depth 8|16             filter at this depth (default: the file's)\n"
    "  --planes 3|4             without or with transparency (default: the file's)\n"
    "  --rect L,T,R,B           filter rectangle (default: selection bounds or whole image)\n"
    "  --mask PNG               selection mask (grey, the image's size)\n"
    "  --descriptor-in FILE     replay a recorded scripting descriptor\n"
    "  --descriptor-out FILE    record the run's descriptor\n"
    "  --play-info N            0 dialog optional, 1 dialog required, 2 no dialog\n"
    "  --dialog                 send the parameters selector first (menu command with ...)\n"
    "  --dialog-answer A        ok (default), cancel or none: how the filter dialog is closed\n"
    "  --about                  show the about box instead of filtering\n"
    "  --runs N                 filter N times in one process (data word and parameters kept)\n"
    "  --answer A[,A...]        message-box answers in order: ok cancel abort retry ignore yes no\n"
    "  --abort-after N          abortProc asks to abort after N calls\n"
    "  --no-advance-state --no-abort-proc --no-progress-proc --no-display-pixels\n"
    "  --no-color-services --no-buffer-suite --no-handle-suite --no-property-suite\n"
    "  --no-get-property --no-descriptors --no-big-document --no-suites\n"
    "  --buffer-suite-version N --buffer-suite-count N --handle-suite-version N\n"
    "  --handle-suite-count N --property-suite-version N --property-suite-count N\n"
    "  --empty-property-answers --zero-handle-sizes --padded-pipl-lengths --only-8bit-rgb\n"
    "  --minimal-host           all of the above limits of less complete hosts at once\n"
    "  --host-signature XXXX --title TEXT --property KEY=VALUE --play-in-progress\n"
    "  --row-padding N --preserve-transparency --finish-after-error\n"
    "  --log                    print what the plug-in asked of the host\n";

struct CommandLine {
    std::string plugin, in, out, mask, descriptorIn, descriptorOut;
    int32_t depth = 0, planes = 0, runs = 1;
    bool haveRect = false, dialog = false, about = false, printLog = false;
    HostRect rect = {0, 0, 0, 0};
};

bool ParseInt(const std::string& text, int32_t* value) {
    char* end = nullptr;
    long parsed = strtol(text.c_str(), &end, 0);
    if (text.empty() || *end) return false;
    *value = int32_t(parsed);
    return true;
}

bool ParseAnswer(const std::string& word, int* id) {
    static const struct {
        const char* name;
        int id;
    } kAnswers[] = {{"ok", IDOK},       {"cancel", IDCANCEL}, {"abort", IDABORT},
                    {"retry", IDRETRY}, {"ignore", IDIGNORE}, {"yes", IDYES},
                    {"no", IDNO}};
    for (const auto& answer : kAnswers)
        if (word == answer.name) return *id = answer.id, true;
    int32_t number = 0;
    if (!ParseInt(word, &number)) return false;
    *id = number;
    return true;
}

OSType ParseFourCC(const std::string& text, bool* valid) {
    *valid = text.size() == 4;
    OSType code = 0;
    for (char c : text) code = code << 8 | uint8_t(c);
    return code;
}

// Returns an error text, or empty when the arguments were understood.
std::string Parse(const std::vector<std::string>& args, CommandLine* line, HostOptions* options) {
    struct Flag {
        const char* name;
        bool* target;
    };
    const Flag flags[] = {
        {"--no-advance-state", &options->noAdvanceState},
        {"--no-abort-proc", &options->noAbortProc},
        {"--no-progress-proc", &options->noProgressProc},
        {"--no-display-pixels", &options->noDisplayPixels},
        {"--no-color-services", &options->noColorServices},
        {"--no-buffer-suite", &options->noBufferSuite},
        {"--no-handle-suite", &options->noHandleSuite},
        {"--no-property-suite", &options->noPropertySuite},
        {"--no-get-property", &options->noObsoleteGetProperty},
        {"--no-descriptors", &options->noDescriptorParameters},
        {"--no-big-document", &options->noBigDocumentData},
        {"--empty-property-answers", &options->propertyAnswersEmpty},
        {"--zero-handle-sizes", &options->handleSizeZero},
        {"--padded-pipl-lengths", &options->piplLengthsAsStored},
        {"--only-8bit-rgb", &options->only8BitRgb},
        {"--play-in-progress", &options->playInProgress},
        {"--preserve-transparency", &options->preserveTransparency},
        {"--finish-after-error", &options->finishAfterError},
        {"--dialog", &line->dialog},
        {"--about", &line->about},
        {"--log", &line->printLog},
    };
    struct Number {
        const char* name;
        int32_t* target32;
        int16_t* target16;
    };
    const Number numbers[] = {
        {"--depth", &line->depth, nullptr},
        {"--planes", &line->planes, nullptr},
        {"--runs", &line->runs, nullptr},
        {"--abort-after", &options->abortAfterCalls, nullptr},
        {"--row-padding", &options->rowPaddingBytes, nullptr},
        {"--buffer-suite-version", nullptr, &options->bufferSuiteVersion},
        {"--buffer-suite-count", nullptr, &options->bufferSuiteCount},
        {"--handle-suite-version", nullptr, &options->handleSuiteVersion},
        {"--handle-suite-count", nullptr, &options->handleSuiteCount},
        {"--property-suite-version", nullptr, &options->propertySuiteVersion},
        {"--property-suite-count", nullptr, &options->propertySuiteCount},
        {"--play-info", nullptr, &options->playInfo},
    };
    struct Text {
        const char* name;
        std::string* target;
    };
    const Text texts[] = {
        {"--plugin", &line->plugin},
        {"--in", &line->in},
        {"--out", &line->out},
        {"--mask", &line->mask},
        {"--descriptor-in", &line->descriptorIn},
        {"--descriptor-out", &line->descriptorOut},
        {"--title", &options->documentTitle},
    };

    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool known = false;
        for (const Flag& flag : flags)
            if (arg == flag.name) *flag.target = known = true;
        if (arg == "--no-suites") {
            options->noBufferSuite = options->noHandleSuite = options->noPropertySuite = true;
            known = true;
        }
        if (arg == "--minimal-host") {
            options->noDescriptorParameters = options->noBufferSuite = true;
            options->noHandleSuite = options->noPropertySuite = true;
            options->noBigDocumentData = options->propertyAnswersEmpty = true;
            options->handleSizeZero = options->piplLengthsAsStored = true;
            options->only8BitRgb = true;
            known = true;
        }
        if (known) continue;
        if (i + 1 >= args.size()) return "missing value after " + arg;
        const std::string& value = args[i + 1];
        for (const Number& number : numbers) {
            if (arg != number.name) continue;
            int32_t parsed = 0;
            if (!ParseInt(value, &parsed)) return "not a number: " + value;
            if (number.target32) *number.target32 = parsed;
            if (number.target16) *number.target16 = int16_t(parsed);
            known = true;
        }
        for (const Text& text : texts)
            if (arg == text.name) *text.target = value, known = true;
        if (arg == "--rect") {
            int left, top, right, bottom;
            char end;
            if (sscanf(value.c_str(), "%d,%d,%d,%d%c", &left, &top, &right, &bottom, &end) != 4)
                return "--rect wants L,T,R,B";
            line->rect = {int16_t(top), int16_t(left), int16_t(bottom), int16_t(right)};
            line->haveRect = known = true;
        }
        if (arg == "--answer") {
            size_t start = 0;
            while (start <= value.size()) {
                size_t comma = value.find(',', start);
                if (comma == std::string::npos) comma = value.size();
                int id = 0;
                if (!ParseAnswer(value.substr(start, comma - start), &id))
                    return "unknown answer in " + value;
                options->messageBoxAnswers.push_back(id);
                start = comma + 1;
            }
            known = true;
        }
        if (arg == "--dialog-answer") {
            if (value != "ok" && value != "cancel" && value != "none")
                return "--dialog-answer wants ok, cancel or none";
            options->dialogAnswer = value == "ok" ? IDOK : value == "cancel" ? IDCANCEL : 0;
            known = true;
        }
        if (arg == "--host-signature") {
            bool valid = false;
            options->hostSignature = ParseFourCC(value, &valid);
            if (!valid) return "--host-signature wants four characters";
            known = true;
        }
        if (arg == "--property") {
            size_t equals = value.find('=');
            bool valid = false;
            OSType key = ParseFourCC(value.substr(0, equals), &valid);
            int32_t number = 0;
            if (equals == std::string::npos || !valid ||
                !ParseInt(value.substr(equals + 1), &number))
                return "--property wants KEY=NUMBER";
            options->simpleProperties[key] = number;
            known = true;
        }
        if (!known) return "unknown option " + arg;
        ++i;
    }
    return "";
}

std::string RectText(const HostRect& rect) {
    char text[64];
    snprintf(text, sizeof text, "(%d,%d,%d,%d)", rect.left, rect.top, rect.right, rect.bottom);
    return text;
}

void PrintLog(const HostSession& session) {
    const HostLog& log = session.log;
    for (const SelectorCall& call : log.selectors)
        printf("selector %d -> %d%s\n", call.selector, call.result,
               call.resultWritten || session.options.resultBeforeCall == 0
                   ? ""
                   : " (result not written)");
    for (const AdvanceRequest& request : log.advances)
        printf("%s in %s planes %d..%d rate %g out %s mask %s padding %d -> %d\n",
               request.viaAdvanceState ? "advanceState" : "continue",
               RectText(request.inRect).c_str(), request.inLoPlane, request.inHiPlane,
               request.inputRate / 65536.0, RectText(request.outRect).c_str(),
               RectText(request.maskRect).c_str(), request.inputPadding, request.result);
    printf("abortProc calls %d, progress reports %zu", log.abortCalls, log.progress.size());
    if (!log.progress.empty())
        printf(" (last %d of %d)", log.progress.back().first, log.progress.back().second);
    printf("\n");
    for (const PropertyRequest& request : log.properties)
        printf("property %s -> %d\n", HostFourCCText(request.key).c_str(), request.result);
    for (const MessageBoxRecord& box : log.messageBoxes)
        printf("message box \"%s\": \"%s\" answered %d\n", box.caption.c_str(), box.text.c_str(),
               box.answer);
    for (const std::string& dialog : log.dialogs) printf("dialog \"%s\"\n", dialog.c_str());
    printf("buffers %d allocated, %d left; handles %d allocated, %d left\n", log.buffersAllocated,
           log.buffersLive, log.handlesAllocated, log.handlesLive);
    if (log.outOfRangeSamples)
        printf("%lld output samples above 32768\n", (long long)log.outOfRangeSamples);
    for (const std::string& note : log.notes) printf("note: %s\n", note.c_str());
}

int Run(const CommandLine& line, HostSession& session) {
    std::string error;
    const std::string plugin = line.plugin.empty() ? HostDefaultPluginPath() : line.plugin;
    if (!HostLoadPlugin(session, plugin)) {
        fprintf(stderr, "GreyloomHost: %s\n", session.log.notes.back().c_str());
        return 2;
    }
    if (line.about) {
        int16_t result = HostShowAbout(session);
        if (line.printLog) PrintLog(session);
        return result == 0 ? 0 : 1;
    }
    if (line.in.empty()) {
        fprintf(stderr, "GreyloomHost: --in is needed\n");
        return 2;
    }
    HostImage image;
    if (!HostImageReadPng(HostNativePath(line.in), line.depth, line.planes, &image, &error) ||
        !HostSetImage(session, image)) {
        fprintf(stderr, "GreyloomHost: %s\n",
                error.empty() ? session.log.notes.back().c_str() : error.c_str());
        return 2;
    }
    if (!line.mask.empty()) {
        std::vector<uint8_t> mask;
        int32_t width = 0, height = 0;
        if (!HostMaskReadPng(HostNativePath(line.mask), &mask, &width, &height, &error) ||
            width != image.width || height != image.height) {
            fprintf(stderr, "GreyloomHost: mask: %s\n",
                    error.empty() ? "not the image's size" : error.c_str());
            return 2;
        }
        HostSetSelection(session, mask);
    }
    if (line.haveRect) HostSetFilterRect(session, line.rect);
    if (!line.descriptorIn.empty()) {
        if (!DescriptorLoadFile(line.descriptorIn, &session.replay, &error)) {
            fprintf(stderr, "GreyloomHost: %s\n", error.c_str());
            return 2;
        }
        session.replayDescriptor = true;
    }

    int16_t result = 0;
    for (int32_t run = 0; run < line.runs && result == 0; ++run)
        result = HostRunFilter(session, line.dialog && run == 0);
    if (line.printLog) PrintLog(session);
    if (result != 0) {
        fprintf(stderr, "GreyloomHost: the filter returned %d\n", result);
        if (!session.log.notes.empty())
            fprintf(stderr, "GreyloomHost: %s\n", session.log.notes.back().c_str());
        return 1;
    }
    if (!line.descriptorOut.empty()) {
        if (!session.haveRecorded) {
            fprintf(stderr, "GreyloomHost: the plug-in recorded no descriptor\n");
            return 1;
        }
        if (!DescriptorSaveFile(session.recorded, line.descriptorOut)) {
            fprintf(stderr, "GreyloomHost: cannot write %s\n", line.descriptorOut.c_str());
            return 2;
        }
    }
    if (!line.out.empty() && !HostImageWritePng(HostNativePath(line.out), session.output, &error)) {
        fprintf(stderr, "GreyloomHost: %s\n", error.c_str());
        return 2;
    }
    return 0;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(HostNarrowText(argv[i]));
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        fputs(kUsage, args.empty() ? stderr : stdout);
        return args.empty() ? 2 : 0;
    }
    auto session = std::make_unique<HostSession>();
    CommandLine line;
    session->options.dialogAnswer = IDOK;  // unattended runs close the filter dialog with OK
    std::string error = Parse(args, &line, &session->options);
    if (!error.empty()) {
        fprintf(stderr, "GreyloomHost: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    int status = Run(line, *session);
    fflush(stdout);
    return status;
}
