#include <basekit/MessageCatalog.h>

#include <algorithm>
#include <cstdint>

namespace basekit {

namespace {

// One line per code, sorted by code (checked below, at compile time). %n is the n-th insert.
// Texts say what went wrong in the user's terms and end without a full stop: what() appends
// the code after them.
constexpr CatalogEntry kCatalog[] = {
    // Lexers, parsers and the viewpoint's axis checks.
    {0x02017024u, "The axis number is outside the viewpoint's axes"},
    {0x02017066u, "The statement is nested too deeply to be parsed"},
    {0x02017067u, "The sign %1 cannot be applied to its operand"},
    {0x02017068u, "Unrecognised word or syntax in the expression: %1"},
    {0x02017083u, "A new formula needs the old formula to be set first"},
    {0x02017084u, "The new formula belongs to another hierarchy than the old formula"},

    // Plain result codes.
    {0x80004001u, "Not implemented"},
    {0x80004002u, "No such interface supported"},
    {0x80004003u, "Invalid pointer"},
    {0x80004005u, "Unspecified failure"},
    {0x8000FFFFu, "Unexpected failure"},
    {0x80020005u, "Type mismatch"},
    {0x80020008u, "Bad variable type"},
    {0x8002000Au, "Out of present range"},
    {0x8003001Du, "The stream could not be written"},
    {0x8003001Eu, "The stream could not be read"},
    {0x80040110u, "The class does not support aggregation"},
    {0x80040154u, "Class not registered"},
    {0x800401F3u, "Invalid class string"},
    {0x8007000Eu, "Out of memory"},
    {0x80070057u, "One or more arguments are not valid"},

    // Trace records carry their whole text as the one insert.
    {0xC2011000u, "%1"},

    // Viewpoint operations and commands.
    {0xC2011200u,
     "The viewpoint's query gave no result: it has no provider viewpoint, or the provider "
     "returned none"},
    {0xC2011205u, "Dimension index %1 is outside the viewpoint's dimension properties"},
    {0xC2011209u, "The dimension does not belong to the viewpoint's cube"},
    {0xC201120Bu, "The command already records an operation; a command records only one"},
    {0xC201120Cu, "The command cannot be executed or undone in its present state"},
    {0xC201120Du, "The viewpoint is not connected to a provider"},
    {0xC201120Eu, "The viewpoint cannot create a command of that kind"},
    {0xC201120Fu, "Dimension position %1 is outside the viewpoint's axes"},
    {0xC2011212u,
     "Cannot move the dimension to %1: that axis already holds as many "
     "dimensions as it may"},
    {0xC2011213u,
     "Cannot move the dimension at %1: its axis would hold fewer dimensions "
     "than it needs"},
    {0xC2011214u, "A link mode other than own needs a base viewpoint"},
    {0xC2011215u,
     "The viewpoint's explicit XML cannot be saved: the viewpoint is not connected to a "
     "provider"},
    {0xC2011216u, "The parameter the member set is bound to does not exist"},
    {0xC2011217u, "Parameter %1 does not hold a member set"},
    {0xC2011218u, "No member set can be obtained from the bound parameter's value"},
    {0xC2011219u, "Parameter %1 is in use and cannot be deleted"},
    {0xC201121Au, "Parameter %1 is read-only or provided by the server and cannot be deleted"},
    {0xC201121Bu, "The bound parameter's value does not pass the strict parameter check"},
    {0xC2011F00u, "%1"},
    {0xC201491Eu, "The change was refused while the viewpoint's listeners were notified"},

    // Statistics summaries, transitions, query fields and expression parameters.
    {0xC20170A5u, "Unexpected failure in %1"},
    {0xC20170A6u, "A required argument or object is missing: %1"},
    // Number formats.
    {0xC2017330u, "The number format \"%1\" cannot be used: %2"},
    {0xC2018000u, "The transition command is not valid"},
    {0xC2018001u, "The transition's target viewpoint cannot be used"},
    {0xC2018002u, "A query property is already specified differently and cannot be merged"},
    {0xC2018003u, "Parameter %1 is of a type that cannot stand in an expression"},
    {0xC2018004u, "The value of parameter %1 is not of a kind its type accepts"},
    {0xC2018005u, "The expression refers to parameter %1, which does not exist"},
    {0xC2018006u, "The query property %1 is not specified"},
    {0xC201A20Eu, "Parameter %1 has neither a value nor a default value"},

    // Client actions and viewpoint commands.
    {0xC201B200u, "The action cannot be resolved for a hierarchy or a level"},
    {0xC201B201u, "The action's expression type is not supported by the cube"},
    {0xC201B202u, "The action's content holds no expression that can be evaluated"},
    {0xC201B203u, "The cube could not evaluate the action's expression"},
    {0xC201B204u, "The action's origin is not one that can be resolved"},
    {0xC201B206u, "The action's fields do not fit together"},
    {0xC201B207u, "The action needs a cube to be resolved"},
    {0xC201B208u, "The action's context has no dimension or member to resolve against"},
    {0xC201B20Au, "The action's cell is not in the cell data"},
    {0xC201B20Bu, "The members of the action's cell cannot be read"},
    {0xC201B20Fu, "The action's expression evaluated to nothing"},
    {0xC201B210u, "The action's content must be enclosed in double quotes"},
    {0xC201B220u, "The provider's query failed; it may succeed when run again"},
    {0xC201B23Cu, "The viewpoint could not be reoriented"},
    {0xC201B23Eu, "The type of a view axis cannot be changed"},

    // Providers.
    {0xC201C100u, "memcube cannot evaluate filter %1: %2"},
    {0xC201C200u, "The database %1 cannot be opened: %2"},
    {0xC201C201u, "Cannot connect to the database server: %1"},
    {0xC201C202u, "The connection to the database server was lost: %1"},
    {0xC201C203u, "The database refused the statement: %1"},
    {0xC201C204u, "The query was cancelled"},
    {0xC201C205u, "The cube's description names table %1, which the database does not have: %2"},
    {0xC201C206u,
     "The cube's description names column %1 of table %2, which the database does not have"},
    {0xC201C207u, "No cube description was found in the database or in %1"},
    {0xC201C208u, "The cube's description cannot be read: %1"},
    {0xC201C209u, "The query names %1, which the cube does not have"},
};

constexpr bool sorted_without_duplicates() {
    for (std::size_t i = 1; i < std::size(kCatalog); ++i) {
        if (kCatalog[i - 1].code >= kCatalog[i].code) {
            return false;
        }
    }
    return true;
}
static_assert(sorted_without_duplicates(), "the catalog is looked up by binary search");

void append_inserts(std::string& text, std::span<PovaString const> inserts, std::uint32_t taken) {
    bool first = true;
    for (std::size_t i = 0; i < inserts.size(); ++i) {
        if (i < 32 && (taken & (1u << i)) != 0) {
            continue;
        }
        text += first ? ": " : ", ";
        text += inserts[i].string();
        first = false;
    }
}

}  // namespace

std::span<CatalogEntry const> messageCatalog() noexcept {
    return kCatalog;
}

char const* findMessage(ZELT_o::MessageCode code) noexcept {
    auto const* const end = std::end(kCatalog);
    auto const* const entry =
        std::lower_bound(std::begin(kCatalog), end, code,
                         [](CatalogEntry const& e, ZELT_o::MessageCode c) { return e.code < c; });
    return entry != end && entry->code == code ? entry->text : nullptr;
}

std::string messageText(ZELT_o::MessageCode code, std::string_view module,
                        std::span<PovaString const> inserts) {
    std::string text;
    char const* const message = findMessage(code);
    if (message == nullptr) {
        text = "Error in module ";
        text += module.empty() ? std::string_view("(none)") : module;
        append_inserts(text, inserts, 0);
        return text;
    }
    // Bit i: insert i + 1 has a marker. Markers are %1 to %9.
    std::uint32_t taken = 0;
    for (char const* p = message; *p != '\0'; ++p) {
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9') {
            auto const index = static_cast<std::size_t>(p[1] - '1');
            if (index < inserts.size()) {
                text += inserts[index].string();
            }
            taken |= 1u << index;
            ++p;
        } else {
            text += *p;
        }
    }
    append_inserts(text, inserts, taken);
    return text;
}

}  // namespace basekit
