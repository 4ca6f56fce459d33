#include "LibraryWords.h"

#include "text/Pinyin.h"

#include <QSet>

namespace LibraryWords {

namespace {

Text word(const char *utf8)
{
    const QString text = QString::fromUtf8(utf8);
    return {text, PinyinInitials(text)};
}

QVector<Text> words(std::initializer_list<const char *> list)
{
    QVector<Text> out;
    for (const char *w : list)
        out.append(word(w));
    return out;
}

void append(Text &into, const Text &part)
{
    into.text += part.text;
    into.py += part.py;
}

const QVector<Text> &modifiers()
{
    static const QVector<Text> all =
        words({"现代", "实用", "中国", "简明", "新编", "基础", "高级", "当代", "世界", "图解",
               "大学", "趣味", "经典", "全新", "系统", "比较"});
    return all;
}

const QVector<Text> &suffixes()
{
    static const QVector<Text> all =
        words({"教程", "导论", "研究", "手册", "概论", "入门", "史", "文集", "讲义", "指南", "十讲",
               "原理", "精要", "与实践", "百问"});
    return all;
}

const QVector<Text> &editions()
{
    static const QVector<Text> all =
        words({"（第2版）", "（第3版）", "（修订本）", "（上）", "（下）", "（增订版）"});
    return all;
}

} // namespace

const QVector<Classification> &classifications()
{
    static const QVector<Classification> all = [] {
        auto c = [](const char *number, const char *category, const char *sub,
                    std::initializer_list<const char *> topics) {
            return Classification{QString::fromUtf8(number), QString::fromUtf8(category),
                                  QString::fromUtf8(sub), words(topics)};
        };
        return QVector<Classification>{
            c("I247.5", "文学", "中国小说", {"长河", "故乡", "青春", "山村", "江湖", "春天"}),
            c("I247.5", "文学", "中国小说", {"围城", "远方", "边城", "老街", "明月", "归途"}),
            c("I207.22", "文学", "诗词", {"唐诗", "宋词", "元曲", "诗经", "楚辞", "乐府"}),
            c("I561.45", "文学", "外国小说", {"雾都", "荒原", "庄园", "海岛", "城堡", "旅人"}),
            c("I266", "文学", "散文", {"散文", "随笔", "书信", "游记", "日记", "小品"}),
            c("TP312", "工业技术", "程序设计",
              {"程序设计", "算法", "数据结构", "编译", "软件工程"}),
            c("TP393", "工业技术", "计算机网络", {"计算机网络", "网络安全", "路由", "通信协议"}),
            c("TP311.13", "工业技术", "数据库", {"数据库", "数据仓库", "信息管理"}),
            c("TM7", "工业技术", "电力", {"电力系统", "电机", "电路", "电气控制"}),
            c("O13", "数理化", "数学", {"高等数学", "线性代数", "概率论", "数学分析", "几何"}),
            c("O4", "数理化", "物理", {"大学物理", "力学", "光学", "热学", "电磁学"}),
            c("O6", "数理化", "化学", {"有机化学", "无机化学", "分析化学", "化学实验"}),
            c("K20", "历史地理", "中国史", {"中国通史", "明朝", "唐代", "宋史", "近代史"}),
            c("K91", "历史地理", "地理", {"地理", "山川", "地图", "旅行"}),
            c("F27", "经济", "企业管理", {"企业管理", "市场营销", "财务管理", "会计", "管理学"}),
            c("F12", "经济", "中国经济", {"中国经济", "金融", "货币银行", "国际贸易"}),
            c("G4", "文化教育", "教育", {"教育学", "课程论", "教学法", "心理健康"}),
            c("G8", "文化教育", "体育", {"篮球", "足球", "太极拳", "游泳", "体育"}),
            c("H31", "语言文字", "英语", {"英语语法", "英语阅读", "英语写作", "词汇"}),
            c("H1", "语言文字", "汉语", {"现代汉语", "古代汉语", "汉字", "修辞"}),
            c("B84", "哲学", "心理学", {"心理学", "认知", "人格", "情绪"}),
            c("B2", "哲学", "中国哲学", {"论语", "老子", "庄子", "孟子", "哲学"}),
            c("R2", "医药卫生", "中医", {"中医", "本草", "针灸", "养生"}),
            c("R4", "医药卫生", "临床医学", {"内科学", "外科学", "护理学", "急救"}),
            c("J2", "艺术", "绘画", {"素描", "油画", "国画", "书法", "水彩"}),
            c("J6", "艺术", "音乐", {"乐理", "钢琴", "民乐", "合唱"}),
            c("D9", "政治法律", "法律", {"民法", "刑法", "宪法", "合同法", "法理学"}),
            c("S6", "农业科学", "园艺", {"园艺", "花卉", "果树", "蔬菜栽培"}),
            c("Q1", "生物科学", "普通生物学", {"生物学", "遗传学", "生态学", "细胞"}),
            c("P1", "天文地球", "天文学", {"天文学", "星空", "宇宙", "气象"}),
            c("U46", "交通运输", "汽车", {"汽车构造", "汽车维修", "驾驶"}),
            c("X3", "环境科学", "环境保护", {"环境保护", "环境监测", "水处理"}),
            c("E0", "军事", "军事理论", {"兵法", "军事", "战略"}),
            c("N49", "自然科学总论", "科普读物", {"十万个为什么", "科学", "发明", "自然"}),
            c("C91", "社会科学总论", "社会学", {"社会学", "人口", "城市", "社区"}),
            c("Z2", "综合性图书", "百科全书", {"百科全书", "辞典", "年鉴", "知识"}),
        };
    }();
    return all;
}

const QVector<Publisher> &publishers()
{
    static const QVector<Publisher> all = [] {
        auto p = [](const char *name, const char *digits, const char *place) {
            return Publisher{QString::fromUtf8(name), QString::fromLatin1(digits),
                             QString::fromUtf8(place)};
        };
        return QVector<Publisher>{
            p("人民文学出版社", "02", "北京"),
            p("高等教育出版社", "04", "北京"),
            p("科学出版社", "03", "北京"),
            p("人民出版社", "01", "北京"),
            p("商务印书馆", "100", "北京"),
            p("中华书局", "101", "北京"),
            p("机械工业出版社", "111", "北京"),
            p("人民邮电出版社", "115", "北京"),
            p("电子工业出版社", "121", "北京"),
            p("北京大学出版社", "301", "北京"),
            p("清华大学出版社", "302", "北京"),
            p("外语教学与研究出版社", "5600", "北京"),
            p("作家出版社", "5063", "北京"),
            p("上海古籍出版社", "5325", "上海"),
            p("上海译文出版社", "5327", "上海"),
            p("上海人民出版社", "208", "上海"),
            p("译林出版社", "5447", "南京"),
            p("浙江文艺出版社", "5339", "杭州"),
            p("湖南文艺出版社", "5404", "长沙"),
            p("中国青年出版社", "5006", "北京"),
            p("生活·读书·新知三联书店", "108", "北京"),
            p("化学工业出版社", "5025", "北京"),
            p("人民卫生出版社", "117", "北京"),
            p("法律出版社", "5036", "北京"),
            p("中国农业出版社", "109", "北京"),
            p("长江文艺出版社", "5354", "武汉"),
            p("广西师范大学出版社", "5633", "桂林"),
            p("华东师范大学出版社", "5617", "上海"),
            p("中国人民大学出版社", "300", "北京"),
            p("少年儿童出版社", "5324", "上海"),
        };
    }();
    return all;
}

const QVector<Periodical> &periodicals()
{
    static const QVector<Periodical> all = [] {
        auto q = [](const char *name, const char *issn, const char *cn, const char *post,
                    const char *publisher, int perYear) {
            return Periodical{word(name),
                              QString::fromLatin1(issn),
                              QString::fromLatin1(cn),
                              QString::fromLatin1(post),
                              QString::fromUtf8(publisher),
                              perYear};
        };
        return QVector<Periodical>{
            q("读者", "1005-1805", "62-1118/Z", "54-17", "读者出版集团", 24),
            q("青年文摘", "1003-0565", "11-1145/C", "2-409", "中国青年出版社", 24),
            q("中国国家地理", "1009-6337", "11-4542/P", "82-709", "中国国家地理杂志社", 12),
            q("收获", "0583-0230", "31-1150/I", "4-159", "收获文学杂志社", 6),
            q("人民文学", "0258-7211", "11-1104/I", "2-2", "人民文学杂志社", 12),
            q("小说月报", "1002-5944", "12-1051/I", "6-8", "百花文艺出版社", 12),
            q("计算机学报", "0254-4164", "11-1826/TP", "2-833", "科学出版社", 12),
            q("经济研究", "0577-9154", "11-1081/F", "2-251", "经济研究杂志社", 12),
            q("求是", "1002-4980", "11-1000/D", "2-1", "求是杂志社", 24),
            q("半月谈", "1002-1590", "11-1271/D", "2-320", "新华通讯社", 24),
            q("大众医学", "1000-8470", "31-1369/R", "4-183", "上海科学技术出版社", 12),
            q("科学画报", "0036-8083", "31-1101/N", "4-218", "上海科学技术出版社", 12),
            q("故事会", "0257-0238", "31-1035/I", "4-174", "上海文艺出版社", 24),
            q("意林", "1007-3868", "22-1316/Z", "12-215", "吉林省期刊工作者协会", 24),
            q("当代", "0257-0165", "11-1095/I", "2-82", "人民文学出版社", 6),
            q("中学生数理化", "1003-8310", "41-1099/O", "36-81", "河南教育出版社", 12),
        };
    }();
    return all;
}

QStringList categories()
{
    QStringList out;
    for (const Classification &c : classifications()) {
        if (!out.contains(c.category))
            out << c.category;
    }
    return out;
}

QStringList subcategories()
{
    QStringList out;
    for (const Classification &c : classifications()) {
        if (!out.contains(c.subcategory))
            out << c.subcategory;
    }
    return out;
}

Text bookTitle(GeneratorRandom &r, int classification)
{
    const Classification &c = classifications()[classification];
    Text title;
    const bool literature = c.number.startsWith(QLatin1Char('I'));
    if (literature) {
        // 长河与故乡, 青春的山村 …
        append(title, c.topics[r.below(c.topics.size())]);
        static const QVector<Text> joins = words({"与", "的", "里的", "之", "和"});
        if (r.chance(0.6)) {
            append(title, joins[r.below(joins.size())]);
            append(title, c.topics[r.below(c.topics.size())]);
        }
        static const QVector<Text> endings = words({"", "", "集", "记", "传", "故事", "物语"});
        append(title, endings[r.below(endings.size())]);
    } else {
        if (r.chance(0.5))
            append(title, modifiers()[r.below(modifiers().size())]);
        append(title, c.topics[r.below(c.topics.size())]);
        append(title, suffixes()[r.below(suffixes().size())]);
    }
    if (r.chance(0.08))
        append(title, editions()[r.below(editions().size())]);
    return title;
}

Text personName(GeneratorRandom &r)
{
    static const QVector<Text> surnames =
        words({"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙",   "马",
               "朱", "胡", "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐",   "许",
               "韩", "冯", "邓", "曹", "彭", "曾", "萧", "田", "董", "潘", "袁", "蔡",   "蒋",
               "余", "于", "杜", "叶", "程", "魏", "苏", "吕", "丁", "任", "沈", "欧阳", "司马"});
    static const QVector<Text> given =
        words({"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰",
               "娟", "涛", "明", "超", "秀", "霞", "平", "刚", "桂", "英", "华", "建", "国",
               "文", "辉", "玲", "婷", "雪", "梅", "鹏", "飞", "晨", "宇", "浩", "然", "思",
               "雨", "佳", "欣", "志", "红", "海", "波", "宁", "晓", "东", "春", "秋", "云"});
    Text name = surnames[r.below(surnames.size())];
    append(name, given[r.below(given.size())]);
    if (r.chance(0.7))
        append(name, given[r.below(given.size())]);
    return name;
}

QString summary(GeneratorRandom &r, const QString &title)
{
    static const QStringList templates = {
        QStringLiteral("本书系统介绍了%1的主要内容，适合初学者阅读。"),
        QStringLiteral("《%1》是一部广受读者欢迎的作品，多次重印。"),
        QStringLiteral("本书共十二章，附有习题和参考答案。"),
        QStringLiteral("作者结合多年教学经验写成%1，内容深入浅出。"),
    };
    if (r.chance(0.4))
        return QString();
    QString t = templates[r.below(templates.size())];
    return t.contains(QLatin1String("%1")) ? t.arg(title) : t;
}

QString address(GeneratorRandom &r)
{
    static const QStringList cities = {
        QStringLiteral("北京市海淀区"), QStringLiteral("上海市徐汇区"),
        QStringLiteral("南京市鼓楼区"), QStringLiteral("武汉市洪山区"),
        QStringLiteral("成都市武侯区"), QStringLiteral("西安市雁塔区"),
        QStringLiteral("广州市天河区"), QStringLiteral("杭州市西湖区")};
    static const QStringList roads = {QStringLiteral("学院路"), QStringLiteral("人民路"),
                                      QStringLiteral("中山路"), QStringLiteral("解放路"),
                                      QStringLiteral("建设路"), QStringLiteral("文化路")};
    return QStringLiteral("%1%2%3号")
        .arg(cities[r.below(cities.size())], roads[r.below(roads.size())])
        .arg(r.between(1, 300));
}

} // namespace LibraryWords
