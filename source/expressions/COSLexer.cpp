#include "expressions/COSLexer.h"

#include <basekit/BaseError.h>
#include <basekit/KobalMutex.h>
#include <pova/Cube.h>
#include <pova/Parameter.h>
#include <pova/support/Module.h>

#include <span>
#include <string>
#include <vector>

namespace {

constexpr ZELT_o::MessageCode kUnknownWord = 0x2017068;
constexpr ZELT_o::MessageCode kUnknownParameter = 0xC2018005;
constexpr ZELT_o::MessageCode kWrongParameterType = 0xC2018003;

struct Keyword {
    char const* rest;  // the keyword without its initial, upper case
    int token;
};

// Keywords by initial, in the order they are tried: a keyword comes before every keyword that
// is a prefix of it.
constexpr Keyword kA[] = {
    {"DDCALCULATEDMEMBERS", COSLexer::kAddCalculatedMembers},
    {"LLMEMBERS", COSLexer::kAllMembers},
    {"SCENDANTS", COSLexer::kAscendants},
    // The keyword Ascendants prints (kind 131), read back as ASCENDANTS.
    {"NCENDANTS", COSLexer::kAscendants},
    {"NCESTORS", COSLexer::kAncestors},
    {"NCESTOR", COSLexer::kAncestor},
    {"RRAY", COSLexer::kArray},
    {"FTER", COSLexer::kAfter},
    {"XIS", COSLexer::kAxis},
    {"COS", COSLexer::kAcos},
    {"SIN", COSLexer::kAsin},
    {"SC", COSLexer::kAsc},
    {"BS", COSLexer::kAbs},
    {"TN", COSLexer::kAtn},
    {"ND", COSLexer::kAnd},
    {"VG", COSLexer::kAvg},
    {"LL", COSLexer::kAll},
};
constexpr Keyword kB[] = {
    {"EFORE_AND_AFTER", COSLexer::kBeforeAndAfter},
    {"OTTOMPERCENT", COSLexer::kBottomPercent},
    {"OTTOMCOUNT", COSLexer::kBottomCount},
    {"OTTOMSUM", COSLexer::kBottomSum},
    {"ETWEEN", COSLexer::kBetween},
    {"EFORE", COSLexer::kBefore},
    {"DESC", COSLexer::kBDesc},
    {"ASC", COSLexer::kBAsc},
};
constexpr Keyword kC[] = {
    {"URRENTDIMENSIONFILTEREDSET", COSLexer::kCurrentDimensionFilteredSet},
    {"URRENTAXISFILTEREDSET", COSLexer::kCurrentAxisFilteredSet},
    {"URRENTDIMENSIONSET", COSLexer::kCurrentDimensionSet},
    {"URRENTAXISSET", COSLexer::kCurrentAxisSet},
    {"URRENTMEMBER", COSLexer::kCurrentMember},
    {"OALESCEEMPTY", COSLexer::kCoalesceEmpty},
    {"LOSINGPERIOD", COSLexer::kClosingPeriod},
    {"ORRELATION", COSLexer::kCorrelation},
    {"OVARIANCEN", COSLexer::kCovarianceN},
    {"OVARIANCE", COSLexer::kCovariance},
    {"URRENTSET", COSLexer::kCurrentSet},
    {"ROSSJOIN", COSLexer::kCrossjoin},
    {"HILDREN", COSLexer::kChildren},
    {"URRENT", COSLexer::kCurrent},
    {"OUSIN", COSLexer::kCousin},
    {"OUNT", COSLexer::kCount},
    {"RPI", COSLexer::kCrpi},
    {"APTION", COSLexer::kCaption},
    {"OS", COSLexer::kCos},
};
constexpr Keyword kD[] = {
    {"RILLDOWNMEMBERBOTTOM", COSLexer::kDrillDownMemberBottom},
    {"RILLDOWNLEVELBOTTOM", COSLexer::kDrillDownLevelBottom},
    {"RILLDOWNMEMBERTOP", COSLexer::kDrillDownMemberTop},
    {"RILLDOWNLEVELTOP", COSLexer::kDrillDownLevelTop},
    {"RILLDOWNMEMBER", COSLexer::kDrillDownMember},
    {"RILLDOWNLEVEL", COSLexer::kDrillDownLevel},
    {"RILLUPMEMBER", COSLexer::kDrillUpMember},
    {"ISTINCTCOUNT", COSLexer::kDistinctCount},
    {"EFAULTMEMBER", COSLexer::kDefaultMember},
    {"RILLUPLEVEL", COSLexer::kDrillUpLevel},
    {"ESCENDANTS", COSLexer::kDescendants},
    {"IMENSIONS", COSLexer::kDimensions},
    {"IMENSION", COSLexer::kDimension},
    {"ISTINCT", COSLexer::kDistinct},
    {"_T_D", COSLexer::kDToD},
    {"ESC", COSLexer::kDesc},
};
// The one-letter keyword E stands for the exponent of a number such as 1.5E-07.
constexpr Keyword kE[] = {
    {"XCLUDEEMPTY", COSLexer::kExcludeEmpty},
    {"XTRACT", COSLexer::kExtract},
    {"XCEPT", COSLexer::kExcept},
    {"XP", COSLexer::kExp},
    {"QV", COSLexer::kEqv},
    {"", COSLexer::kE},
    {"XISTS", COSLexer::kExists},
};
constexpr Keyword kF[] = {
    {"IRSTSIBLING", COSLexer::kFirstSibling},
    {"IRSTCHILD", COSLexer::kFirstChild},
    {"ILTER", COSLexer::kFilter},
    {"ALSE", COSLexer::kFalse},
    {"IX", COSLexer::kFix},
};
constexpr Keyword kG[] = {
    {"ETUNIQUENAME", COSLexer::kGetUniqueName},
    {"ENERATESET", COSLexer::kGenerateSet},
    {"ETCAPTION", COSLexer::kGetCaption},
    {"ENERATE", COSLexer::kGenerate},
    {"ETNAME", COSLexer::kGetName},
};
constexpr Keyword kH[] = {
    {"IERARCHIZE", COSLexer::kHierarchize},
    {"IDETUPLE", COSLexer::kHideTuple},
    {"_T_D", COSLexer::kHToD},
    {"EAD", COSLexer::kHead},
};
constexpr Keyword kI[] = {
    {"NCLUDEEMPTY", COSLexer::kIncludeEmpty},
    {"SGENERATION", COSLexer::kIsGeneration},
    {"SANCESTOR", COSLexer::kIsAncestor},
    {"NTERSECT", COSLexer::kIntersect},
    {"SSIBLING", COSLexer::kIsSibling},
    {"SEMPTY", COSLexer::kIsEmpty},
    {"NHERIT", COSLexer::kInherit},
    {"SLEAF", COSLexer::kIsLeaf},
    {"TEM", COSLexer::kItem},
    {"IF", COSLexer::kIif},
    {"NT", COSLexer::kInt},
    {"MP", COSLexer::kImp},
    {"S", COSLexer::kIs},
};
constexpr Keyword kL[] = {
    {"INREGINTERCEPT", COSLexer::kLinRegIntercept},
    {"INREGVARIANCE", COSLexer::kLinRegVariance},
    {"INREGSLOPE", COSLexer::kLinRegSlope},
    {"INREGPOINT", COSLexer::kLinRegPoint},
    {"ASTPERIODS", COSLexer::kLastPeriods},
    {"ASTSIBLING", COSLexer::kLastSibling},
    {"ASTCHILD", COSLexer::kLastChild},
    {"INREGR2", COSLexer::kLinRegR2},
    {"EVELS", COSLexer::kLevels},
    {"EAVES", COSLexer::kLeaves},
    {"EVEL", COSLexer::kLevel},
    {"EAD", COSLexer::kLead},
    {"AG", COSLexer::kLag},
    {"OG", COSLexer::kLog},
};
constexpr Keyword kM[] = {
    {"EMBERS", COSLexer::kMembers}, {"EMBER", COSLexer::kMember}, {"EDIAN", COSLexer::kMedian},
    {"_T_D", COSLexer::kMToD},      {"IN", COSLexer::kMin},       {"AX", COSLexer::kMax},
    {"OD", COSLexer::kMod},         {"TD", COSLexer::kMtd},
};
constexpr Keyword kN[] = {
    {"ONEMPTYCROSSJOIN", COSLexer::kNonEmptyCrossJoin},
    {"EXTMEMBER", COSLexer::kNextMember},
    {"AMETOSET", COSLexer::kNameToSet},
    {"ATIVE", COSLexer::kNative},
    {"ULL", COSLexer::kNull},
    {"OT", COSLexer::kNot},
    {"AME", COSLexer::kNameKeyword},
};
constexpr Keyword kO[] = {
    {"PENINGPERIOD", COSLexer::kOpeningPeriod},
    {"UTSIDE", COSLexer::kOutside},
    {"RDINAL", COSLexer::kOrdinal},
    {"RDER", COSLexer::kOrder},
    {"R", COSLexer::kOr},
};
constexpr Keyword kP[] = {
    {"ARALLELPERIOD", COSLexer::kParallelPeriod},
    {"ERIODSTODATE", COSLexer::kPeriodsToDate},
    {"REVMEMBER", COSLexer::kPrevMember},
    {"ROPERTY", COSLexer::kProperty},
    {"ARENT", COSLexer::kParent},
    {"_T_D", COSLexer::kPToD},
    {"OST", COSLexer::kPost},
};
constexpr Keyword kQ[] = {
    {"_T_D", COSLexer::kQToD},
    {"TD", COSLexer::kQtd},
};
constexpr Keyword kR[] = {
    {"OLLUPCHILDREN", COSLexer::kRollupChildren},
    {"EMAINDER", COSLexer::kRemainder},
    {"ECURSIVE", COSLexer::kRecursive},
    {"OUND", COSLexer::kRound},
    {"ANK", COSLexer::kRank},
};
constexpr Keyword kS[] = {
    {"TRIPCALCULATEDMEMBERS", COSLexer::kStripCalculatedMembers},
    {"ELF_BEFORE_AFTER", COSLexer::kSelfBeforeAfter},
    {"ELF_AND_BEFORE", COSLexer::kSelfAndBefore},
    {"ELF_AND_AFTER", COSLexer::kSelfAndAfter},
    {"HOWTUPLE", COSLexer::kShowTuple},
    {"IBLINGS", COSLexer::kSiblings},
    {"TDDEVP", COSLexer::kStddevP},
    {"UBSET", COSLexer::kSubSet},
    {"TDDEV", COSLexer::kStddev},
    {"TDEVP", COSLexer::kStddevP},
    {"TDEV", COSLexer::kStddev},
    {"_T_D", COSLexer::kSToD},
    {"ELF", COSLexer::kSelf},
    {"UM", COSLexer::kSum},
    {"IN", COSLexer::kSin},
    {"GN", COSLexer::kSgn},
    {"QR", COSLexer::kSqr},
    {"ET", COSLexer::kSet},
};
constexpr Keyword kT[] = {
    {"OGGLEDRILLSTATE", COSLexer::kToggleDrillState},
    {"OPPERCENT", COSLexer::kTopPercent},
    {"OPCOUNT", COSLexer::kTopCount},
    {"OPSUM", COSLexer::kTopSum},
    {"UPLE", COSLexer::kTuple},
    {"AIL", COSLexer::kTail},
    {"RUE", COSLexer::kTrue},
    {"AN", COSLexer::kTan},
};
constexpr Keyword kU[] = {
    {"NIQUENAME", COSLexer::kUniqueName},
    {"NION", COSLexer::kUnion},
};
constexpr Keyword kV[] = {
    {"ARIANCEP", COSLexer::kVarianceP},
    {"ARIANCE", COSLexer::kVariance},
    {"ALUE", COSLexer::kValue},
    {"ARP", COSLexer::kVarianceP},
    {"AR", COSLexer::kVariance},
    {"_T_D", COSLexer::kWToD},
    {"TD", COSLexer::kWtd},
};
constexpr Keyword kW[] = {
    {"_T_D", COSLexer::kWToD},
    {"TD", COSLexer::kWtd},
};
constexpr Keyword kX[] = {
    {"OR", COSLexer::kXor},
};
constexpr Keyword kY[] = {
    {"_T_D", COSLexer::kYToD},
    {"TD", COSLexer::kYtd},
};

// The keyword groups by initial A to Z; no keyword begins with J, K or Z.
constexpr std::span<Keyword const> kGroups[26] = {
    kA, kB, kC, kD, kE, kF, kG, kH, kI, {}, {}, kL, kM,
    kN, kO, kP, kQ, kR, kS, kT, kU, kV, kW, kX, kY, {},
};

// A provider's cube need not be safe to call from several threads, while parses run in
// parallel: every call the lexer makes into a cube (and the parameters it offers) is made under
// this lock. Recursive, so that a provider may parse an expression while it answers one.
KobalRecursiveMutex& provider_mutex() {
    static KobalRecursiveMutex mutex;
    return mutex;
}

using ProviderLock = KobalSynchronized<KobalRecursiveMutex>;

[[noreturn]] void throw_lexer_error(ZELT_o::MessageCode code, PovaString const& insert) {
    BaseError error(code, "Lexer");
    error.addInsert(insert);
    throw error;
}

}  // namespace

COSLexer::COSLexer(PovaString const& text, ZELT_o::Cube* cube) : PovaFormatLexer(text, cube) {}

COSLexer::~COSLexer() = default;

int COSLexer::nextToken() {
    OLECHAR c = getCharacter();
    while (isBlank(c)) {
        c = getCharacter();
    }
    switch (c) {
        case 0:
        case u'\n':
            return kEnd;
        case u'(':
            return kOpen;
        case u')':
            return kClose;
        case u',':
            return kComma;
        case u'=':
            return kEqual;
        case u'+':
            return kPlus;
        case u'-':
            return kMinus;
        case u'*':
            return kStar;
        case u'/':
            return kSlash;
        case u'\\':
            return kBackslash;
        case u'^':
            return kCaret;
        case u'%':
            return kPercent;
        case u':':
            return kColon;
        case u'<': {
            OLECHAR const next = getCharacter();
            if (next == u'=') {
                return kLessEqual;
            }
            if (next == u'>') {
                return kNotEqual;
            }
            if (next == u'<') {
                return parameter_reference();
            }
            ungetCharacter();
            return kLess;
        }
        case u'>': {
            OLECHAR const next = getCharacter();
            if (next == u'=') {
                return kGreaterEqual;
            }
            if (next == u'<') {
                return kNotEqual;
            }
            ungetCharacter();
            return kGreater;
        }
        case u'{':
            return braced_name();
        default:
            break;
    }
    if (c == u'.' || isDigit(c)) {
        ungetCharacter();
        scanNumber();
        return kNumber;
    }
    if (isLetter(c)) {
        return keyword_or_word(c);
    }
    return word();
}

int COSLexer::keyword_or_word(OLECHAR initial) {
    OLECHAR const upper = initial >= u'a' ? static_cast<OLECHAR>(initial - (u'a' - u'A')) : initial;
    for (Keyword const& keyword : kGroups[upper - u'A']) {
        if (matchKeywordSuffix(keyword.rest)) {
            return keyword.token;
        }
    }
    return word();
}

int COSLexer::token_for_class(LONG nameClass) {
    switch (nameClass) {
        case 1:
            return kMemberName;
        case 2:
            return kLevelName;
        case 3:
            return kHierarchyName;
        case 4:
            return kDimensionName;
        case 5:
            return kMeasureName;
        case 6:
            return kSetName;
        default:
            return 0;
    }
}

int COSLexer::classify() {
    if (!fLookupOn || fContext == nullptr) {
        return 0;
    }
    PovaString canonical(tokenText());
    int token = 0;
    {
        ProviderLock const lock(provider_mutex());
        token = token_for_class(fContext->classifyName(canonical));
    }
    if (token != 0) {
        set_token_text(canonical.wstring());
    }
    return token;
}

// The name runs up to a "}" that is not doubled ("}}" stands for one "}"), or to the end of
// the text; a zero character ends the text here as it does between tokens.
int COSLexer::braced_name() {
    std::u16string const& text = fText.wstring();
    std::size_t at = fPosition;
    while (at < text.size() && isBlank(text[at])) {
        ++at;
    }
    std::size_t const start = at;
    bool doubled = false;
    while (at < text.size() && text[at] != 0) {
        if (text[at] == u'}') {
            if (at + 1 < text.size() && text[at + 1] == u'}') {
                doubled = true;
                at += 2;
                continue;
            }
            break;
        }
        ++at;
    }
    bool const closed = at < text.size() && text[at] == u'}';
    fAtEnd = fAtEnd || at + (closed ? 1 : 0) >= text.size();
    fPosition = closed ? at + 1 : at;
    std::size_t end = at;
    while (end > start && isBlank(text[end - 1])) {
        --end;
    }
    if (doubled) {
        std::u16string name;
        name.reserve(end - start);
        for (std::size_t i = start; i < end; ++i) {
            name += text[i];
            if (text[i] == u'}') {
                ++i;
            }
        }
        set_token_text(name);
    } else {
        set_token_text(start, end - start);
    }
    int const token = classify();
    return token != 0 ? token : kName;
}

// The word runs from the character already read up to an operator character, a blank or the
// end of the text.
int COSLexer::word() {
    std::u16string const& text = fText.wstring();
    std::size_t const start = fPosition - 1;
    std::size_t at = fPosition;
    while (at < text.size() && text[at] != 0 && !isBlank(text[at]) && !isOperator(text[at])) {
        ++at;
    }
    fAtEnd = fAtEnd || at >= text.size();
    fPosition = at;
    set_token_text(start, at - start);
    if (!fLookupOn) {
        // The grammar builds a plain name from it.
        return kName;
    }
    if (int const token = classify(); token != 0) {
        return token;
    }
    throw_lexer_error(kUnknownWord, PovaString(tokenText()));
}

// The name runs up to the first ">>" (a single ">" stays part of it) or to the end of the text.
int COSLexer::parameter_reference() {
    std::u16string const& text = fText.wstring();
    std::size_t const start = fPosition;
    std::size_t at = start;
    while (at < text.size() && text[at] != 0 &&
           !(text[at] == u'>' && at + 1 < text.size() && text[at + 1] == u'>')) {
        ++at;
    }
    bool const closed = at < text.size() && text[at] == u'>';
    fAtEnd = fAtEnd || at + (closed ? 2 : 0) >= text.size();
    fPosition = closed ? at + 2 : at;
    set_token_text(start, at - start);
    PovaString const name(tokenText());
    ProviderLock const lock(provider_mutex());
    std::vector<ZELT_o::Parameter*> parameters;
    if (fContext != nullptr) {
        fContext->getParameters(parameters);
    }
    for (ZELT_o::Parameter* parameter : parameters) {
        if (parameter == nullptr) {
            continue;
        }
        PovaString uniqueName;
        parameter->getUniqueName(uniqueName);
        if (uniqueName.strcmp(name, true) != 0) {
            continue;
        }
        ZELT_o::Parameter::ParameterType type{};
        parameter->getType(&type);
        switch (static_cast<LONG>(type)) {
            case 2:
            case 3:
                return kStringParameter;
            case ZELT_o::Parameter::PT_MEMBER:
            case 11:
                return kMemberParameter;
            case ZELT_o::Parameter::PT_MEMBERSET:
                return kMemberSetParameter;
            case 6:
                return kNumericParameter;
            default:
                throw_lexer_error(kWrongParameterType, name);
        }
    }
    BaseError error(kUnknownParameter, "Lexer");
    error.addInsert(name);
    error.log(support::moduleLog());
    throw error;
}
