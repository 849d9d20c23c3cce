#include <sqlcube/Connection.h>
#include <sqlcube/Errors.h>
#include <sqlcube/SchemaDescription.h>

#include <basekit/BaseError.h>
#include <basekit/XmlSupport.h>
#include <starschema/StarSchema.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace sqlcube {

namespace {

// An attribute that must be present and non-empty.
std::string required(XmlNode const& element, char const* name) {
    char const* value = element.attributeUtf8(name);
    if (value == nullptr || *value == '\0') {
        raise(kDescriptionInvalid, "<" + element.name().string() + "> has no " + name);
    }
    return value;
}

std::string optional(XmlNode const& element, char const* name, char const* fallback) {
    char const* value = element.attributeUtf8(name);
    return value != nullptr ? value : fallback;
}

template <class Item>
int index_of(std::vector<Item> const& items, std::string const& name) {
    auto const found = std::find_if(items.begin(), items.end(),
                                    [&name](Item const& item) { return item.name == name; });
    return found == items.end() ? -1 : static_cast<int>(found - items.begin());
}

}  // namespace

int DimensionDescription::levelIndex(std::string const& level) const {
    return index_of(levels, level);
}

int SchemaDescription::dimensionIndex(std::string const& name) const {
    return index_of(dimensions, name);
}

int SchemaDescription::measureIndex(std::string const& name) const {
    return index_of(measures, name);
}

std::string SchemaDescription::toXml() const {
    XmlSupport xml;
    xml.createDocument();
    xml.addVersion();
    XmlNode root = xml.createElement("cube");
    root.setAttributeUtf8("name", cube);
    for (DimensionDescription const& dimension : dimensions) {
        XmlNode element = root.appendElement("dimension");
        element.setAttributeUtf8("name", dimension.name);
        element.setAttributeUtf8("table", dimension.table);
        element.setAttributeUtf8("key", dimension.keyColumn);
        for (LevelDescription const& level : dimension.levels) {
            XmlNode child = element.appendElement("level");
            child.setAttributeUtf8("name", level.name);
            child.setAttributeUtf8("column", level.column);
        }
    }
    XmlNode facts = root.appendElement("facts");
    facts.setAttributeUtf8("table", factTable);
    for (DimensionDescription const& dimension : dimensions) {
        XmlNode key = facts.appendElement("key");
        key.setAttributeUtf8("dimension", dimension.name);
        key.setAttributeUtf8("column", dimension.factKeyColumn);
    }
    for (MeasureDescription const& measure : measures) {
        XmlNode element = facts.appendElement("measure");
        element.setAttributeUtf8("name", measure.name);
        element.setAttributeUtf8("column", measure.column);
        element.setAttributeUtf8("format", measure.format);
        element.setAttributeUtf8("aggregate", measure.aggregate);
        element.setAttributeUtf8("scale", std::to_string(measure.scale));
    }
    return xml.xml().string();
}

SchemaDescription SchemaDescription::fromXml(std::string const& text) {
    XmlSupport xml;
    if (!xml.readXml(PovaString(text)) || !xml.documentElement().isElement("cube")) {
        raise(kDescriptionInvalid, "the text is not a <cube> document");
    }
    XmlNode const root = xml.documentElement();
    SchemaDescription description;
    description.cube = required(root, "name");
    for (XmlNode const& element : root.descendants("dimension")) {
        DimensionDescription dimension{required(element, "name"),
                                       required(element, "table"),
                                       required(element, "key"),
                                       {},
                                       {}};
        for (XmlNode const& level : element.descendants("level")) {
            dimension.levels.push_back({required(level, "name"), required(level, "column")});
        }
        if (dimension.levels.empty()) {
            raise(kDescriptionInvalid, "dimension " + dimension.name + " has no level");
        }
        description.dimensions.push_back(std::move(dimension));
    }
    XmlNode const facts = root.findChild("facts");
    if (!facts) {
        raise(kDescriptionInvalid, "<cube> has no <facts>");
    }
    description.factTable = required(facts, "table");
    for (XmlNode const& key : facts.descendants("key")) {
        int const index = description.dimensionIndex(required(key, "dimension"));
        if (index < 0) {
            raise(kDescriptionInvalid, "a fact key names an unknown dimension");
        }
        description.dimensions[static_cast<std::size_t>(index)].factKeyColumn =
            required(key, "column");
    }
    for (DimensionDescription const& dimension : description.dimensions) {
        if (dimension.factKeyColumn.empty()) {
            raise(kDescriptionInvalid, "the facts have no key for dimension " + dimension.name);
        }
    }
    for (XmlNode const& element : facts.descendants("measure")) {
        MeasureDescription measure{required(element, "name"), required(element, "column"),
                                   optional(element, "format", ""),
                                   optional(element, "aggregate", "SUM"), 0};
        if (measure.aggregate != "SUM") {
            raise(kDescriptionInvalid, "measure " + measure.name + " is not aggregated by SUM");
        }
        std::string const scale = optional(element, "scale", "0");
        auto const [end, error] =
            std::from_chars(scale.data(), scale.data() + scale.size(), measure.scale);
        if (error != std::errc() || end != scale.data() + scale.size() || measure.scale < 0 ||
            measure.scale > 18) {
            raise(kDescriptionInvalid, "measure " + measure.name + " has scale " + scale);
        }
        description.measures.push_back(std::move(measure));
    }
    return description;
}

SchemaDescription describeSample() {
    SchemaDescription description;
    description.cube = starschema::cubeName();
    description.factTable = starschema::factTable();
    for (std::size_t d = 0; d < starschema::kDimensionCount; ++d) {
        starschema::DimensionTable const& table = starschema::dimensions()[d];
        DimensionDescription dimension{
            table.name, table.table, table.keyColumn, {}, starschema::factKeyColumns()[d]};
        for (std::size_t l = 0; l < table.levels.size(); ++l) {
            dimension.levels.push_back({table.levels[l], table.columns[l]});
        }
        description.dimensions.push_back(std::move(dimension));
    }
    for (starschema::Measure const& measure : starschema::measures()) {
        description.measures.push_back(
            {measure.name, measure.column, measure.format, "SUM", measure.decimals});
    }
    return description;
}

std::string descriptionFile(std::string const& databasePath) {
    return databasePath + ".cube.xml";
}

void storeDescription(Connection& connection, SchemaDescription const& description) {
    // Each statement on its own leaves the old description or the new one, never none: the
    // caller need not hold a transaction.
    connection.execute("CREATE TABLE IF NOT EXISTS pova_cube (description TEXT)");
    Value const text = description.toXml();
    std::string const value = "CAST(" + connection.dialect().placeholder(1) + " AS TEXT)";
    connection.query("UPDATE pova_cube SET description = " + value,
                     std::span<Value const>(&text, 1));
    connection.query("INSERT INTO pova_cube (description) SELECT " + value +
                         " WHERE NOT EXISTS (SELECT 1 FROM pova_cube)",
                     std::span<Value const>(&text, 1));
}

void writeDescriptionFile(std::string const& path, SchemaDescription const& description) {
    // Written beside it and renamed over it, so that a write cut short leaves the old file.
    std::string const partial = path + ".partial";
    std::error_code error;
    {
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file << description.toXml();
        if (!file.flush()) {
            file.close();
            std::filesystem::remove(partial, error);
            raise(kDescriptionInvalid, "cannot write " + path);
        }
    }
    std::filesystem::rename(partial, path, error);
    if (error) {
        std::filesystem::remove(partial, error);
        raise(kDescriptionInvalid, "cannot write " + path);
    }
}

SchemaDescription readDescription(Connection& connection) {
    std::string text;
    try {
        Rows const rows = connection.query("SELECT description FROM pova_cube");
        if (rows.rowCount() > 0) {
            text = rows.text(0, 0);
        }
    } catch (BaseError const& error) {
        if (error.code() != kStatementRefused) {
            throw;
        }
    }
    std::string const file =
        connection.path().empty() ? std::string("pova_cube") : descriptionFile(connection.path());
    if (text.empty() && !connection.path().empty()) {
        std::ifstream stream(file, std::ios::binary);
        std::ostringstream content;
        content << stream.rdbuf();
        text = content.str();
    }
    if (text.empty()) {
        raise(kDescriptionMissing, file);
    }
    SchemaDescription description = SchemaDescription::fromXml(text);
    checkDescription(connection, description);
    return description;
}

void checkDescription(Connection& connection, SchemaDescription const& description) {
    Dialect const& dialect = connection.dialect();
    auto check_table = [&](std::string const& table, std::vector<std::string> const& columns) {
        Rows rows;
        try {
            rows = connection.query("SELECT * FROM " + dialect.quote(table) + " " +
                                    dialect.limit("0"));
        } catch (BaseError const& error) {
            if (error.code() != kStatementRefused) {
                throw;
            }
            raise(kTableMissing, table, error.getInsert(0).string());
        }
        for (std::string const& column : columns) {
            bool found = false;
            for (std::size_t c = 0; c < rows.columnCount() && !found; ++c) {
                found = rows.columnName(c) == column;
            }
            if (!found) {
                raise(kColumnMissing, column, table);
            }
        }
    };
    std::vector<std::string> factColumns;
    for (DimensionDescription const& dimension : description.dimensions) {
        std::vector<std::string> columns{dimension.keyColumn};
        for (LevelDescription const& level : dimension.levels) {
            columns.push_back(level.column);
        }
        check_table(dimension.table, columns);
        factColumns.push_back(dimension.factKeyColumn);
    }
    for (MeasureDescription const& measure : description.measures) {
        factColumns.push_back(measure.column);
    }
    check_table(description.factTable, factColumns);
}

}  // namespace sqlcube
