#include <sqlcube/SqlEngine.h>

#include <algorithm>
#include <cmath>

namespace sqlcube {

Value const* QueryResult::raw(CellKey const& key, std::size_t measure) const {
    auto const found = fCells.find(key);
    if (found == fCells.end() || measure >= found->second.size() ||
        std::holds_alternative<std::monostate>(found->second[measure])) {
        return nullptr;
    }
    return &found->second[measure];
}

std::optional<double> QueryResult::value(CellKey const& key, std::size_t measure) const {
    Value const* const sum = raw(key, measure);
    if (sum == nullptr) {
        return std::nullopt;
    }
    double const number = std::holds_alternative<std::int64_t>(*sum)
                              ? static_cast<double>(std::get<std::int64_t>(*sum))
                          : std::get_if<double>(sum) != nullptr ? std::get<double>(*sum)
                                                                : std::stod(toText(*sum));
    return number / std::pow(10.0, fScales[measure]);
}

SqlEngine::SqlEngine(Connection& connection) : SqlEngine(connection, readDescription(connection)) {}

SqlEngine::SqlEngine(Connection& connection, SchemaDescription description)
    : fConnection(connection),
      fDescription(std::move(description)),
      fBuilder(fDescription, connection.dialect()) {}

QueryResult SqlEngine::run(QuerySpec const& spec) {
    fLast = fBuilder.build(spec);
    Rows const rows = fConnection.query(fLast.text, fLast.parameters);
    QueryResult result;
    for (std::string const& name : spec.measures) {
        result.fScales.push_back(
            fDescription.measures[static_cast<std::size_t>(fDescription.measureIndex(name))].scale);
    }
    std::size_t const axes = spec.axes.size();
    result.fAxes.resize(axes);
    // Per axis: the tuples met, with the total each is ordered by.
    std::vector<std::vector<std::pair<Tuple, double>>> met(axes);
    std::vector<std::map<Tuple, bool>> seen(axes);
    for (std::size_t r = 0; r < rows.rowCount(); ++r) {
        std::vector<Value> values;
        bool empty = true;
        for (std::size_t m = 0; m < spec.measures.size(); ++m) {
            values.push_back(rows.at(r, fLast.firstMeasureColumn + m));
            empty = empty && std::holds_alternative<std::monostate>(values.back());
        }
        if (empty) {
            continue;  // The one row of an ungrouped sum over no facts.
        }
        CellKey key(axes);
        for (std::size_t a = 0; a < axes; ++a) {
            for (std::size_t n = 0; n < fLast.axes[a].size(); ++n) {
                SqlQuery::NestColumns const& columns = fLast.axes[a][n];
                std::string const& dimension = spec.axes[a].nests[n].front().dimension;
                auto const level = rows.integer(r, columns.levelColumn);
                MemberRef member{dimension, {}, {}};
                if (level >= 0) {
                    DimensionDescription const& description =
                        fDescription.dimensions[static_cast<std::size_t>(
                            fDescription.dimensionIndex(dimension))];
                    member.level = description.levels[static_cast<std::size_t>(level)].name;
                    for (std::int64_t l = 0; l <= level; ++l) {
                        member.path.push_back(
                            rows.text(r, columns.firstColumn + static_cast<std::size_t>(l)));
                    }
                }
                key[a].push_back(std::move(member));
            }
            if (seen[a].emplace(key[a], true).second) {
                auto const& order = fLast.orders.empty() ? SqlQuery::AxisOrder{} : fLast.orders[a];
                met[a].emplace_back(key[a],
                                    order.totalColumn ? rows.real(r, *order.totalColumn) : 0.0);
            }
        }
        result.fCells.emplace(std::move(key), std::move(values));
    }
    for (std::size_t a = 0; a < axes; ++a) {
        if (!fLast.orders.empty() && fLast.orders[a].totalColumn) {
            bool const descending = fLast.orders[a].descending;
            std::stable_sort(met[a].begin(), met[a].end(),
                             [descending](auto const& x, auto const& y) {
                                 return descending ? x.second > y.second : x.second < y.second;
                             });
        }
        for (auto& [tuple, total] : met[a]) {
            result.fAxes[a].push_back(std::move(tuple));
        }
    }
    return result;
}

}  // namespace sqlcube
