#include "TextTemplates.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace TextTemplates {

namespace {

const Family kChineseLaunch{
    {"各位来宾，欢迎来到“{}”的发布现场。", "今天，我们怀着期待，与大家一起揭开“{}”的面纱。",
     "每一次出发都源于一个想法，而今天的主角是“{}”。", "感谢大家的到来，这一刻属于“{}”。"},
    {"它凝聚了团队无数个日夜的打磨，只为把细节做到极致。", "从第一张草图到最终成品，我们始终把使用者的感受放在首位。",
     "它让复杂的事情变得简单，让日常多了一份惊喜。", "我们相信，好的产品应该安静地融入生活，却在关键时刻挺身而出。",
     "围绕“{}”，我们重新思考了设计、性能与体验之间的平衡。", "无论在办公室还是在旅途中，它都能成为值得信赖的伙伴。"},
    {"现在，就让我们一起见证“{}”的诞生。", "未来已来，欢迎与“{}”一同出发。", "接下来的时间，请和我们一起走近“{}”。"},
    "这款新品",
    "",
};

const Family kChineseNarration{
    {"镜头缓缓推近，“{}”的故事从这里开始。", "清晨的第一缕光落下时，我们遇见了“{}”。", "有些风景需要慢慢看，比如“{}”。"},
    {"时间在这里放慢了脚步，每一个画面都值得细细品味。", "光影交错之间，平凡的日子显出了不一样的温度。",
     "人们来来往往，却总有一些瞬间被悄悄记住。", "声音、色彩与细节交织在一起，构成了独一无二的记忆。",
     "走近“{}”，你会发现那些藏在角落里的动人细节。"},
    {"故事还在继续，而“{}”正等待你亲自去感受。", "愿这段旅程，让你重新认识“{}”。", "画面渐渐淡去，关于“{}”的回忆却久久留存。"},
    "这段故事",
    "",
};

const Family kChineseGeneral{
    {"说到“{}”，很多人都会心生好奇。", "今天想和大家聊一聊“{}”。", "“{}”是一个值得认真对待的话题。"},
    {"它看似简单，背后却蕴含着许多值得思考的细节。", "从不同的角度出发，我们往往能得到意想不到的答案。",
     "真正打动人心的，往往是那些用心经营的小事。", "理解“{}”，需要一点耐心，也需要一点好奇心。",
     "把想法落到实处，才能让它真正产生价值。"},
    {"希望这些分享，能让你对“{}”有新的认识。", "不妨从今天开始，亲自感受“{}”的魅力。", "关于“{}”的故事，才刚刚开始。"},
    "这个主题",
    "",
};

const Family kEnglishLaunch{
    {"Welcome, everyone, to the first look at {}.", "Today we are proud to introduce {}.",
     "Every launch starts with a simple idea, and today that idea is {}.",
     "Thank you for joining us as we unveil {}."},
    {"It is the result of countless hours of careful work, with every detail considered.",
     "From the first sketch to the final build, we kept the people who will use it at the centre.",
     "It makes complicated things simple and everyday moments a little brighter.",
     "We believe great products fit quietly into life and shine when it matters most.",
     "With {}, we rethought the balance between design, performance and experience.",
     "Whether at the office or on the road, it is built to be a companion you can rely on."},
    {"So let's take this moment together and welcome {}.", "The future starts now, and it starts with {}.",
     "Stay with us as we take a closer look at {}."},
    "our newest product",
    " ",
};

const Family kEnglishNarration{
    {"The camera moves in slowly, and the story of {} begins.", "As the first light of morning falls, we meet {}.",
     "Some things are worth taking slowly, and {} is one of them."},
    {"Time seems to slow down here, and every frame deserves a second look.",
     "Between light and shadow, ordinary days take on a different warmth.",
     "People come and go, yet some moments quietly stay with us.",
     "Sound, colour and detail weave together into a memory all of its own.",
     "Look closer at {}, and you will find details hidden in every corner."},
    {"The story goes on, and {} is waiting for you to see it for yourself.",
     "May this journey help you see {} in a new light.", "The picture fades, but the memory of {} lingers."},
    "this story",
    " ",
};

const Family kEnglishGeneral{
    {"When it comes to {}, many of us are curious to learn more.", "Today, let's talk about {}.",
     "There is more to {} than meets the eye."},
    {"It may look simple, yet there are many details behind it worth thinking about.",
     "Seen from a different angle, it often gives answers we did not expect.",
     "What truly moves people is often the small things done with care.",
     "Understanding {} takes a little patience and a little curiosity.",
     "Ideas only create value once they are put into practice."},
    {"I hope this gives you a fresh view of {}.", "Why not start today and experience {} for yourself?",
     "The story of {} is only just beginning."},
    "this idea",
    " ",
};

const std::vector<std::string_view> kLaunchWords = {"发布", "新品", "上市", "产品", "launch", "product", "release", "unveil"};
const std::vector<std::string_view> kNarrationWords = {"旁白", "解说", "视频", "纪录", "镜头",  "narrat",
                                                       "video", "voice", "documentary", "vlog", "film"};

bool MentionsAny(const std::string &text, const std::vector<std::string_view> &words)
{
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view word) { return text.find(word) != std::string::npos; });
}

}  // namespace

const Family &Choose(std::string_view topic, bool chinese)
{
    std::string lowered(topic);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (MentionsAny(lowered, kLaunchWords))
        return chinese ? kChineseLaunch : kEnglishLaunch;
    if (MentionsAny(lowered, kNarrationWords))
        return chinese ? kChineseNarration : kEnglishNarration;
    return chinese ? kChineseGeneral : kEnglishGeneral;
}

}  // namespace TextTemplates
