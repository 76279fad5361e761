#include "tests/support/random_store.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>

#include "core/letter.h"
#include "core/text_cipher.h"
#include "tests/support/scoped_temp_dir.h"
#include "tests/support/store_fixture.h"
#include "tests/support/test_machines.h"

namespace vexilo::testing {
namespace {

// Plain English of our own making, for the messages the tests break.
constexpr std::string_view tunedText =
    "The weather was fine on the morning we left the harbour, and the captain said that we "
    "would reach the island before dark if the wind held. We carried food for a week, two "
    "barrels of water, a chest of tools and the letters that the governor had given us. Nobody "
    "on board knew what the letters said. The mate thought they were orders for the garrison; "
    "the cook believed they were about the price of grain. At noon the wind dropped and the sea "
    "turned flat and grey. We waited for hours while the sails hung loose and the sun burned "
    "our necks. In the evening a small boat came towards us from the north, and a man stood in "
    "it waving a white cloth. He told us that the island had been taken by the enemy two days "
    "before, that the garrison had fled into the hills, and that any ship that entered the bay "
    "would be seized at once. The captain thanked him, gave him bread and wine, and turned the "
    "ship to the west. By midnight the wind came back, stronger than before, and we ran before "
    "it with every sail set. Nobody slept. In the grey light of the next morning we saw the "
    "coast of the mainland, and by the afternoon we were safe in the river mouth, where the "
    "soldiers of the king took the letters from us and read them in front of the whole crew. ";

// A second text that no test tunes on, for measuring how often the attacks succeed.
constexpr std::string_view heldOutText =
    "Every spring the village held a market in the square beside the old church. Farmers "
    "brought their cattle and sheep from miles around, and traders came from the city with "
    "cloth, knives, pots and spices that nobody in the valley could grow. Children ran between "
    "the stalls and begged for sweets, and the baker sold more bread in one day than in the "
    "rest of the month. One year a stranger arrived with a cart full of clocks. He said that "
    "each of them would keep perfect time for a hundred years, and he asked only a silver coin "
    "for the smallest. The schoolmaster bought one, and so did the priest, and soon half the "
    "village had a clock on the wall. For a week all was well. Then, one night, every clock in "
    "the village stopped at the same minute, and in the morning the stranger and his cart were "
    "gone. The people argued for years about what it meant. Some said it was a trick, some said "
    "it was a warning, and the schoolmaster said it was only cheap work and bad springs. The "
    "clocks were never mended, but the market went on as before, and the story is still told "
    "to children who ask why the church tower has no clock on its face. ";

// The random source of component `index` of one kind: every component has its own, so that a
// component does not change when the store's other sizes do.
std::mt19937 componentRandom(unsigned seed, unsigned kind, int index) {
  std::seed_seq sequence{seed, kind, static_cast<unsigned>(index)};
  return std::mt19937(sequence);
}

Wiring randomRotor(unsigned seed, int index) {
  std::mt19937 random = componentRandom(seed, 1, index);
  return shuffledWiring(random);
}

Wiring randomReflector(unsigned seed, int index) {
  std::mt19937 random = componentRandom(seed, 2, index);
  return pairedWiring(random, alphabetSize / 2);
}

Wiring randomPlugboard(unsigned seed, int index, int& cables) {
  std::mt19937 random = componentRandom(seed, 3, index);
  cables = std::uniform_int_distribution<int>(0, alphabetSize / 2)(random);
  return pairedWiring(random, cables);
}

std::string joined(const Wiring& wiring) {
  std::string text;
  for (std::size_t i = 0; i < wiring.size(); ++i) {
    text += (i > 0 ? "," : "") + std::to_string(wiring[i]);
  }
  return text;
}

}  // namespace

std::vector<int> randomStoreSetting(const RandomStoreShape& shape, unsigned seed, int settingId) {
  std::mt19937 random = componentRandom(seed, 4, settingId);
  std::uniform_int_distribution<int> rotor(0, shape.rotors - 1);
  const int rotor1 = rotor(random);
  int rotor2 = rotor(random);
  while (rotor2 == rotor1) rotor2 = rotor(random);
  int rotor3 = rotor(random);
  while (rotor3 == rotor1 || rotor3 == rotor2) rotor3 = rotor(random);
  const int plugboard = std::uniform_int_distribution<int>(0, shape.plugboards - 1)(random);
  const int reflector = std::uniform_int_distribution<int>(0, shape.reflectors - 1)(random);
  return {plugboard, rotor1, rotor2, rotor3, reflector};
}

void writeRandomStore(const RandomStoreShape& shape, unsigned seed) {
  std::string rotors;
  for (int id = 0; id < shape.rotors; ++id) {
    rotors += std::to_string(id) + "," + joined(randomRotor(seed, id)) + "\n";
  }
  std::string reflectors;
  for (int id = 0; id < shape.reflectors; ++id) {
    reflectors += std::to_string(id) + "," + joined(randomReflector(seed, id)) + "\n";
  }
  std::string plugboards;
  for (int id = 0; id < shape.plugboards; ++id) {
    int cables = 0;
    const Wiring wiring = randomPlugboard(seed, id, cables);
    plugboards += std::to_string(id) + "," + std::to_string(cables) + "," + joined(wiring) + "\n";
  }
  std::string registry;
  char settingId[16];
  for (int id = 0; id < shape.settings; ++id) {
    const std::vector<int> parts = randomStoreSetting(shape, seed, id);
    std::snprintf(settingId, sizeof settingId, "%X", static_cast<unsigned>(id));
    registry += std::string(settingId) + "," + std::to_string(parts[0]) + "," +
                std::to_string(parts[1]) + "," + std::to_string(parts[2]) + "," +
                std::to_string(parts[3]) + "," + std::to_string(parts[4]) + "\n";
  }
  writeFile(rotorFile, rotors);
  writeFile(reflectorFile, reflectors);
  writeFile(plugboardFile, plugboards);
  if (shape.settings > 0) writeFile(registryFile, registry);
}

Machine randomStoreMachine(unsigned seed, const std::vector<int>& parts) {
  Machine machine;
  machine.plugboard.wiring = randomPlugboard(seed, parts[0], machine.plugboard.cableCount);
  machine.rotor1 = rotorOf(randomRotor(seed, parts[1]));
  machine.rotor2 = rotorOf(randomRotor(seed, parts[2]));
  machine.rotor3 = rotorOf(randomRotor(seed, parts[3]));
  machine.reflector.wiring = randomReflector(seed, parts[4]);
  return machine;
}

std::string englishMessage(std::mt19937& random, int letters, bool heldOut) {
  const std::string_view text = heldOut ? heldOutText : tunedText;
  // Starts at a word.
  std::vector<std::size_t> wordStarts;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != ' ' && (i == 0 || text[i - 1] == ' ')) wordStarts.push_back(i);
  }
  for (;;) {
    const std::size_t start =
        wordStarts[std::uniform_int_distribution<std::size_t>(0, wordStarts.size() - 1)(random)];
    std::string message;
    int count = 0;
    for (std::size_t i = start; i < text.size() && count < letters; ++i) {
      message += text[i];
      if (letterIndex(text[i]) >= 0) ++count;
    }
    if (count == letters) return message;
  }
}

std::string encipherMessage(Machine machine, const std::string& text) {
  std::string enciphered;
  encipherTextLetterByLetter(machine, text, enciphered);
  return enciphered;
}

std::string lowerCase(std::string text) {
  for (char& character : text) {
    if (letterIndex(character) >= 0) character = static_cast<char>(character | 0x20);
  }
  return text;
}

std::string firstWord(const std::string& text) {
  std::istringstream words(text);
  std::string word;
  words >> word;
  return word;
}

}  // namespace vexilo::testing
