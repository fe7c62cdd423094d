#pragma once
// Clan: the clan a run is played for, or neutral while none is chosen. The game holds a clan
// only as this type; the fixed forms that leave the program or come into it are converted where
// they cross:
//
//   document classes and ids        "neutral" / "floreth" / "sundrel"     ClanWord
//   messages with the scripts       1 Sundrel, 2 Floreth ("hud_update_clan N", "get_clan")
//                                                                         ClanMessageNumber,
//                                                                         ClanFromMessageNumber
//   the diary's run type            "FLORETH" / "SUNDREL"                 ClanRunType

enum class Clan { Neutral, Floreth, Sundrel };

// "neutral", "floreth" or "sundrel"; "" for a value outside the enum.
constexpr const char* ClanWord(Clan clan) {
  switch (clan) {
    case Clan::Neutral:
      return "neutral";
    case Clan::Floreth:
      return "floreth";
    case Clan::Sundrel:
      return "sundrel";
  }
  return "";
}

// The scripts' number of a clan: 1 Sundrel, 2 Floreth, 0 neutral.
constexpr int ClanMessageNumber(Clan clan) {
  return clan == Clan::Sundrel ? 1 : clan == Clan::Floreth ? 2 : 0;
}

// The clan of a scripts' number: 1 Sundrel, 2 Floreth, any other number neutral.
constexpr Clan ClanFromMessageNumber(int number) {
  return number == 1 ? Clan::Sundrel : number == 2 ? Clan::Floreth : Clan::Neutral;
}

// The diary's run type of a run played for the clan: "FLORETH" for Floreth, else "SUNDREL" (a
// run without a chosen clan is recorded as Sundrel's, the clan the HUD starts with).
constexpr const char* ClanRunType(Clan clan) {
  return clan == Clan::Floreth ? "FLORETH" : "SUNDREL";
}
