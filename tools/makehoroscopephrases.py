#!/usr/bin/env python3
"""Generates horoscope/horoscope_phrases.cpp: the phrases the horoscope panel
composes a day from when no horoscope site is set, as GBK byte strings with the
Chinese beside each row.

    python3 tools/makehoroscopephrases.py > horoscope/horoscope_phrases.cpp
    python3 tools/makehoroscopephrases.py --check horoscope/horoscope_phrases.cpp

A day's sentence is one opener of its topic followed by one phrase of it. Every
such sentence is 21 to 37 characters long, so that on the sheet's rows of 19 it
takes exactly two rows: none fills its rows exactly (which would leave an empty
row after it), and none leaves its full stop alone on the second row. Nor does
the second row begin with any other punctuation. Each phrase carries its
mood: 1 good, 0 even, -1 take care; the day's stars follow the moods of the
sentences shown. Every topic needs at least 12 phrases, so that the twelve
signs never share one on the same day.
"""
import sys

ROW = 19
MIN_SENTENCE, MAX_SENTENCE = ROW + 2, 2 * ROW - 1
NOT_FIRST_IN_ROW = "，。；：、！？）》”"
MIN_PHRASES = 12

# (name in the table, openers, [(mood, phrase)]) in the order a day tells them.
TOPICS = [
    ("Love", ["爱情方面，", "感情上，", "感情方面，", "在感情里，"], [
        (1, "单身的人容易在朋友聚会上遇到聊得来的对象，不妨主动一些。"),
        (1, "两人之间默契十足，一个眼神就能明白对方的心意。"),
        (1, "适合向心仪的人表达好感，真诚的话语会得到回应。"),
        (1, "伴侣会给你带来一个小惊喜，记得用心回应这份体贴。"),
        (1, "桃花运旺盛，身边有人在默默关注你，留意一下周围的目光。"),
        (0, "平稳少波澜，安排一次傍晚的散步就能增进彼此的感情。"),
        (0, "多听听对方的想法，比急着表达自己更能拉近距离。"),
        (0, "许久不联系的老朋友可能来找你叙旧，聊聊近况就好，不必多想。"),
        (0, "适合和另一半一起规划周末，小小的计划也能带来期待。"),
        (0, "单身者的缘分还在路上，先把自己的生活过得精彩。"),
        (-1, "容易因为小事闹情绪，说话前先停一停，别让误会变大。"),
        (-1, "对方可能正忙于自己的事，少一些猜疑，多一些耐心。"),
        (-1, "暧昧关系里容易患得患失，想清楚自己要什么再行动。"),
        (-1, "今天不宜翻旧账，过去的事情就让它留在过去吧。"),
        (-1, "情绪起伏较大，重要的决定最好留到明天再做。"),
    ]),
    ("Work", ["工作方面，", "事业上，", "职场上，", "学习和工作上，"], [
        (1, "思路清晰，效率很高，适合处理积压已久的难题。"),
        (1, "你的提议容易获得上司的认可，开会时大胆说出想法。"),
        (1, "团队合作十分顺畅，同事愿意伸出援手，事情推进得很快。"),
        (1, "是学习新技能的好时机，看过的资料很容易记住。"),
        (1, "有机会接手一项重要任务，这是展示能力的好时候。"),
        (0, "按部就班地完成手头的事即可，不必急于开启新项目。"),
        (0, "适合整理文件和待办清单，把下周的安排提前理一理。"),
        (0, "节奏平稳，午后精神稍差，可以把难办的事放在上午完成。"),
        (0, "与其单打独斗，不如听听前辈的建议，少走一些弯路。"),
        (-1, "容易在细节上出错，交出去之前最好再多检查一遍。"),
        (-1, "沟通中可能出现误解，重要的事情最好留下书面记录。"),
        (-1, "计划赶不上变化，遇到临时调整时要保持冷静。"),
        (-1, "不宜与同事争一时长短，退一步反而更好做事。"),
        (-1, "拖延的念头较强，给自己定个小目标，一件一件来。"),
    ]),
    ("Money", ["财运方面，", "金钱上，", "理财上，", "钱财方面，"], [
        (1, "正财稳定，付出终于有了回报，可能会收到一笔奖金。"),
        (1, "偏财运不错，整理旧物时或许会发现意外的小收获。"),
        (1, "思路清楚，适合为将来制定一份切实可行的存钱计划。"),
        (1, "朋友介绍的机会值得一听，但仍要自己做足功课。"),
        (0, "收支大致平衡，记一记账，就能看清钱花在了哪里。"),
        (0, "适合货比三家后再下单，耐心能帮你省下不少。"),
        (0, "没有大起大落，量入为出，不必为一时的得失烦恼。"),
        (0, "适合结清手头的小额欠款，有借有还，心里更踏实。"),
        (0, "适合多看多学，弄懂之前暂时不必急着付诸行动。"),
        (-1, "容易冲动消费，购物车里的东西先放一放再说。"),
        (-1, "不宜把钱借给别人，也不宜碰高风险的投资。"),
        (-1, "可能有计划外的开销，提前留出一些备用的钱。"),
        (-1, "对来路不明的赚钱消息要多留个心眼，谨防上当受骗。"),
    ]),
    ("Health", ["健康方面，", "身体方面，", "身心方面，", "身体上，"], [
        (1, "精力充沛，适合去户外走走，晒晒太阳心情也会变好。"),
        (1, "睡眠质量不错，醒来神清气爽，适合早起锻炼一下。"),
        (1, "胃口很好，吃得香的同时也要注意均衡，多吃蔬菜水果。"),
        (1, "状态很好，跑步或游泳都能让你出一身畅快的汗。"),
        (0, "注意劳逸结合，坐久了记得起身活动一下肩颈。"),
        (0, "天气变化时及时增减衣物，平时多喝些温开水。"),
        (0, "适合早点上床，放下手机，让眼睛好好休息一下。"),
        (0, "饮食宜清淡一些，少吃辛辣和油炸的食物。"),
        (-1, "容易感到疲倦，别硬撑，午间小睡片刻很有帮助。"),
        (-1, "压力有些大，找朋友聊聊天或听听音乐来放松。"),
        (-1, "小心肠胃不适，生冷的食物和冰饮要少吃一些。"),
        (-1, "运动前记得充分热身，避免扭伤或者拉伤。"),
    ]),
]

COLOURS = ["红色", "橙色", "黄色", "绿色", "青色", "蓝色", "紫色", "粉色", "白色", "黑色",
           "灰色", "金色", "银色", "咖啡色", "米白色", "天蓝色", "酒红色", "墨绿色", "浅紫色", "象牙白"]


def escaped(text):
    data = text.encode("gbk")
    if len(data) != 2 * len(text):
        raise SystemExit(f"not all double-byte in GBK: {text}")
    return '"' + "".join(f"\\x{b:02X}" for b in data) + '"'


def check_tables():
    for name, openers, phrases in TOPICS:
        if len(phrases) < MIN_PHRASES:
            raise SystemExit(f"{name}: {len(phrases)} phrases, at least {MIN_PHRASES} wanted")
        texts = [p for _, p in phrases]
        if len(set(texts)) != len(texts) or len(set(openers)) != len(openers):
            raise SystemExit(f"{name}: a phrase or opener twice")
        shortest = min(map(len, openers)) + min(map(len, texts))
        longest = max(map(len, openers)) + max(map(len, texts))
        if shortest < MIN_SENTENCE or longest > MAX_SENTENCE:
            raise SystemExit(f"{name}: sentences of {shortest} to {longest} characters, "
                             f"{MIN_SENTENCE} to {MAX_SENTENCE} wanted")
        for opener in openers:
            for text in texts:
                if (opener + text)[ROW] in NOT_FIRST_IN_ROW:
                    raise SystemExit(f"{name}: the second row begins with a punctuation mark: {opener}{text}")
        for mood, text in phrases:
            if mood not in (-1, 0, 1):
                raise SystemExit(f"{name}: mood {mood}")
            if not text.endswith("。"):
                raise SystemExit(f"{name}: no full stop: {text}")


def generate():
    check_tables()
    out = [
        "// Generated by tools/makehoroscopephrases.py; change the generator, not this file.",
        "// The phrases a day's horoscope is composed from, GBK.",
        '#include "horoscope/horoscope_phrases.h"',
        "",
        "namespace vemora {",
        "",
        "namespace {",
        "",
    ]
    for name, openers, phrases in TOPICS:
        out.append(f"const char* const k{name}Openers[] = {{")
        out.extend(f"    {escaped(o)}, // {o}" for o in openers)
        out.append("};")
        out.append(f"const HoroscopePhrase k{name}Phrases[] = {{")
        out.extend(f"    {{{escaped(p)}, {m}}}, // {p}" for m, p in phrases)
        out.append("};")
        out.append("")
    out.append("const char* const kColours[] = {")
    out.extend(f"    {escaped(c)}, // {c}" for c in COLOURS)
    out.append("};")
    out.append("")
    out.append("} // namespace")
    out.append("")
    out.append("const HoroscopeTopic kHoroscopeTopics[kHoroscopeTopicCount] = {")
    out.extend(f"    {{k{name}Openers, k{name}Phrases}}," for name, _, _ in TOPICS)
    out.append("};")
    out.append("const std::span<const char* const> kLuckyColours(kColours);")
    out.append("")
    out.append("} // namespace vemora")
    return "\n".join(out) + "\n"


def main():
    text = generate()
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        with open(sys.argv[2], encoding="utf-8") as f:
            if f.read() != text:
                print(f"{sys.argv[2]} is not what {sys.argv[0]} writes", file=sys.stderr)
                return 1
        return 0
    if len(sys.argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    sys.stdout.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
