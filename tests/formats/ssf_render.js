// The reference renderer of the number format differential test: the npm package ssf.
//
// usage: node ssf_render.js SSF_DIR < pairs
// Each input line is a JSON array [format, kind, value]: kind "n" for a number (value the
// number's text, "NaN" included), "s" for a text. Each output line answers the input line of
// the same number: "=" and the rendered text as a JSON string, or "!" and the renderer's
// complaint when it refuses the format.
"use strict";

const fs = require("fs");
const ssf = require(process.argv[2]);

const lines = fs.readFileSync(0, "utf8").split("\n");
const out = [];
for (const line of lines) {
    if (line === "") {
        continue;
    }
    const [format, kind, text] = JSON.parse(line);
    const value = kind === "n" ? Number(text) : text;
    try {
        out.push("=" + JSON.stringify(ssf.format(format, value)));
    } catch (error) {
        out.push("!" + String(error.message).replace(/\n/g, " "));
    }
}
process.stdout.write(out.join("\n") + "\n");
